#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileIo.h"
#include "plugin/PluginLog.h"
#include "tests/TempFolder.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

class PluginLogTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return temp_.File(name); }

  testing::TempFolder temp_{"kivo_log_"};
  const fs::path dir_ = temp_.Path();
};

TEST_F(PluginLogTest, AppendsLinesInOrder) {
  TPluginLog log(PathOf("KivoRss.log"));
  ASSERT_TRUE(log.Append("first"));
  ASSERT_TRUE(log.Append("second"));
  EXPECT_EQ(ReadFileBytes(log.FileName()).value(), "first\r\nsecond\r\n");
}

TEST_F(PluginLogTest, OverLimitKeepsNewestHalfFromALineStart) {
  TPluginLog log(PathOf("KivoRss.log"), 100);
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(log.Append("line " + std::to_string(i)));
  const std::string text = ReadFileBytes(log.FileName()).value();
  EXPECT_LE(text.size(), 100u);
  EXPECT_EQ(text.rfind("line 29\r\n"), text.size() - 9) << text;
  EXPECT_EQ(text.substr(0, 5), "line ") << "the file must start at a whole line: " << text;
}

TEST_F(PluginLogTest, UnwritableFolderReportsFalseWithoutThrowing) {
  TPluginLog log(PathOf("missing/dir/KivoRss.log"));
  EXPECT_FALSE(log.Append("lost"));
}

TEST(PluginLogLine, CarriesTimeCodeAndMessageOnOneLine) {
  EXPECT_EQ(FormatLogLine(EncodeDateTime(2024, 3, 9, 7, 5, 4), 7, "bad\r\nthing"),
            "09.03.2024 07:05:04 code 7: bad  thing");
}

}  // namespace
}  // namespace kivo
