#include "reader/ReaderInfo.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "base/Text1251.h"
#include "base/Version.h"
#include "lang/LanguageTexts.h"

namespace kivo {

namespace {

// The shortest decimal that reads back as `value`, as FloatToStr writes it.
std::string ShortestDecimal(double value, char separator) {
  char text[64];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    double back = 0;
    if (std::sscanf(text, "%lf", &back) == 1 && back == value) break;
  }
  std::string out(text);
  for (char& c : out) {
    if (c == '.') c = separator;
  }
  return out;
}

// UTF-8 here, windows-1251 on the page.
constexpr std::string_view kAboutPage =
    "<html><body>"
    "<p align=\"right\"><font size=\"1\" color=\"green\">{licence}</font></p>"
    "<h3 align=\"center\">Плагин для чтения RSS лент</h3>"
    "<p><font color=\"blue\">KivoRss показывает новостные ленты (RSS, RDF и Atom) рядом с контактами: "
    "вкладки лент, непрочитанные и отмеченные цветом новости, всплывающее окно о новостях и ленты "
    "как контакты. Ленты проверяются и загружаются в фоне; прочитанное запоминается.</font></p>"
    "<h4 align=\"center\">Условия распространения</h4>"
    "<p><font color=\"blue\">KivoRss распространяется по лицензии MIT. Его можно бесплатно использовать, "
    "копировать, изменять, объединять с другими программами, публиковать, распространять, "
    "сублицензировать и продавать при условии, что уведомление об авторских правах (Copyright (c) 2026 "
    "the KivoRss authors) и текст лицензии прилагаются ко всем копиям или значимым частям. Программа "
    "предоставляется «как есть», без каких-либо гарантий; авторы не отвечают за ущерб от её "
    "использования. Полный текст лицензии находится в файле LICENSE.txt.</font></p>"
    "</body></html>";

}  // namespace

std::string TimeAndDate(TDateTime value, const ILocaleFormats& locale) {
  return locale.FormatLongTime(value) + "  " + locale.FormatShortDate(value);
}

std::string KilobytesText(long long bytes, char decimalSeparator) {
  return ShortestDecimal(static_cast<double>(std::max(bytes, 0LL)) / 1000.0, decimalSeparator) + " Kb";
}

std::string PluginVersionText(char decimalSeparator) {
  return std::to_string(kVersionMajor) + decimalSeparator + std::to_string(kVersionMinor);
}

std::string FeedInformationText(const TRSS* feeds, int feed, const ILocaleFormats& locale,
                                const std::string& author) {
  std::string text;
  if (feeds != nullptr && feeds->IsValid(feed)) {
    const tchannels& channel = feeds->Channels[static_cast<std::size_t>(feed)];
    text += Lang.lang_hint_feed + " " + channel.Title + "\r";
    text += Lang.lang_hint_feedaddr + " " + channel.Url + "\r";
    text += Lang.lang_hint_lastupd + " " + TimeAndDate(channel.LastUpdated, locale) + "\r";
    text +=
        Lang.lang_hint_filesize + " " + KilobytesText(channel.NetFileSize, locale.DecimalSeparator()) + "\r";
    if (channel.CheckUpdates) {
      text += Lang.lang_hint_scantime + " " + std::to_string(channel.CheckNewPeriod) + "\r";
      text += Lang.lang_hint_lastscan + " " + TimeAndDate(channel.LastCheck, locale) + "\r";
    }
  }
  text += "\r" + Lang.lang_opt_label_version + " " + PluginVersionText('.') + "\r";
  text += Lang.lang_opt_label_author + " " + author + "\r";
  return text;
}

std::string AboutPageHtml() {
  std::string page = Utf8ToWinOrKeep(kAboutPage);
  const std::string licence = Utf8ToWinOrKeep("Версия программы: ") + kVersionText;
  page.replace(page.find("{licence}"), std::string_view("{licence}").size(), licence);
  return page;
}

}  // namespace kivo
