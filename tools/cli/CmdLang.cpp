// lang export ru|uk|en: a complete language file of the built-in texts, the
// translators' template; written as the file's bytes (windows-1251, CR LF).
#include "lang/LangTemplate.h"
#include "lang/LanguageTexts.h"
#include "tools/cli/Commands.h"

namespace kivo::cli {

int CmdLang(const Args& args, std::string& out) {
  if (args.size() != 2 || args[0] != "export") return Usage("usage: kivorss-cli lang export ru|uk|en");
  const std::string& name = args[1];
  if (name != "ru" && name != "uk" && name != "en")
    return Usage("unknown language: " + name + " (ru, uk or en)");
  // As the plugin applies a language: Russian first, so that every text has a value.
  SetLangDecimalSeparator('.');
  set_lang_russian();
  if (name == "uk") set_lang_ukrainian();
  if (name == "en") set_lang_english();
  out.append(LangFileText(Lang));
  return kExitOk;
}

}  // namespace kivo::cli
