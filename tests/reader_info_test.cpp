#include <gtest/gtest.h>

#include <string>

#include "base/DateTime.h"
#include "base/Text1251.h"
#include "base/Version.h"
#include "lang/LanguageTexts.h"
#include "reader/ReaderInfo.h"

namespace kivo {
namespace {

// Dates as "D/M/Y", times as "h:m", and a comma between a number's parts.
class CommaLocale final : public ILocaleFormats {
 public:
  std::string FormatShortDate(TDateTime value) const override { return "date" + std::to_string(int(value)); }
  std::string FormatLongTime(TDateTime value) const override { return "time" + std::to_string(int(value)); }
  char DecimalSeparator() const override { return ','; }
};

// The period and last-check lines belong only to a feed that checks for updates.
TEST(FeedInformationText, FeedLinesOnlyForAFeedThatIsAndCheckLinesOnlyWhenItChecks) {
  set_lang_english();
  TRSS rss;
  rss.SetCount(1);
  tchannels& feed = rss.Channels[0];
  feed.Title = "News";
  feed.Url = "http://a.test/rss";
  feed.LastUpdated = 46000;
  feed.NetFileSize = 12345;
  feed.CheckNewPeriod = 30;
  feed.LastCheck = 46001;
  const CommaLocale locale;
  const std::string tail =
      "\r" + Lang.lang_opt_label_version + " 2.7\r" + Lang.lang_opt_label_author + " Me\r";
  const std::string lines = Lang.lang_hint_feed + " News\r" + Lang.lang_hint_feedaddr +
                            " http://a.test/rss\r" + Lang.lang_hint_lastupd + " time46000  date46000\r" +
                            Lang.lang_hint_filesize + " 12,345 Kb\r";
  EXPECT_EQ(FeedInformationText(&rss, 0, locale, "Me"), lines + tail);
  feed.CheckUpdates = true;
  EXPECT_EQ(
      FeedInformationText(&rss, 0, locale, "Me"),
      lines + Lang.lang_hint_scantime + " 30\r" + Lang.lang_hint_lastscan + " time46001  date46001\r" + tail);
  feed.NetFileSize = 2000;
  EXPECT_NE(FeedInformationText(&rss, 0, locale, "Me").find(" 2 Kb\r"), std::string::npos) << "shortest form";
  for (const int none : {-1, 1}) EXPECT_EQ(FeedInformationText(&rss, none, locale, "Me"), tail);
  EXPECT_EQ(FeedInformationText(nullptr, 0, locale, "Me"), tail);
  clear_lang_texts();
}

TEST(AboutPageHtml, ThePlaceholderBecomesTheVersion) {
  const std::string page = AboutPageHtml();
  EXPECT_EQ(page.find("{licence}"), std::string::npos);
  EXPECT_NE(page.find(Utf8ToWinOrKeep("Версия программы: ") + kVersionText), std::string::npos);
  EXPECT_NE(page.find(Utf8ToWinOrKeep("лицензии MIT")), std::string::npos) << "the terms of distribution";
}

}  // namespace
}  // namespace kivo
