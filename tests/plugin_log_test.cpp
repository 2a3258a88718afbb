#include <gtest/gtest.h>

#include <string>

#include "platform/FileIo.h"
#include "plugin/PluginLog.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

TEST(PluginLog, AppendsCrLfLinesAndOverTheLimitKeepsTheNewestFromALineStart) {
  const testing::TempFolder temp{"kivo_log_"};
  TPluginLog log(temp.File("KivoRss.log"), 100);
  ASSERT_TRUE(log.Append("first"));
  ASSERT_TRUE(log.Append("second"));
  EXPECT_EQ(ReadFileBytes(log.FileName()).value(), "first\r\nsecond\r\n");

  std::string text;
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(log.Append("line " + std::to_string(i)));
    text = ReadFileBytes(log.FileName()).value();
    EXPECT_TRUE(text.starts_with("first\r\n") || text.starts_with("line ")) << "a torn first line: " << text;
  }
  EXPECT_LE(text.size(), 100u);
  EXPECT_TRUE(text.ends_with("\r\nline 29\r\n")) << text;

  // A message longer than half the limit used to empty the whole file.
  const std::string longLine(80, 'x');
  ASSERT_TRUE(log.Append(longLine));
  EXPECT_EQ(ReadFileBytes(log.FileName()).value(), longLine + "\r\n");
}

TEST(PluginLog, UnwritableFolderReportsFalseWithoutThrowing) {
  const testing::TempFolder temp{"kivo_log_"};
  EXPECT_FALSE(TPluginLog(temp.File("missing/dir/KivoRss.log")).Append("lost"));
}

TEST(PluginLogLine, CarriesTimeCodeAndMessageOnOneLine) {
  EXPECT_EQ(FormatLogLine(EncodeDateTime(2024, 3, 9, 7, 5, 4), 7, "bad\r\nthing"),
            "09.03.2024 07:05:04 code 7: bad  thing");
}

}  // namespace
}  // namespace kivo
