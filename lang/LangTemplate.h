// A language file written from a set of texts: the translators' template
// (`kivorss-cli lang export ru|uk|en`). A file written so reads back with
// the same text for every key.
#pragma once

#include <string>
#include <string_view>

#include "lang/LanguageTexts.h"

namespace kivo {

// One value as a file holds it: a line break becomes the two characters "\r",
// and a value that reading would change (blanks at either end, or the same
// quote at both ends) is put in double quotes.
std::string EncodeLangValue(std::string_view text);
// A value as read from a file (quotes already taken off): "\r" is a line break.
std::string DecodeLangValue(std::string_view value);

// The whole file, windows-1251 with CR LF line ends: the section, then every
// key in reading order with its value, the version value included.
std::string LangFileText(const TLangTexts& texts);

}  // namespace kivo
