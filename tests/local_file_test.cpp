#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "platform/LocalFile.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

// A page's "file:///C:/COM1.png" opened the serial port: the picture worker,
// and then the stop, waited on the device for ever.
TEST(ReadLocalFileBytes, OnlyARegularFileWithinTheLimitIsRead) {
  testing::TempFolder dir;
  const std::filesystem::path picture = dir.File("a.png");
  ASSERT_TRUE(WriteFileAtomic(picture, "picture"));
  std::filesystem::create_directory(dir.Path() / "folder.png");
  EXPECT_EQ(ReadLocalFileBytes(picture, 7), "picture");
  std::vector<std::u8string> refused =
      std::filesystem::path::preferred_separator == '/'
          ? std::vector<std::u8string>{u8"/dev/null", u8"/dev/zero"}
          : std::vector<std::u8string>{u8"C:\\COM1.png",  u8"C:\\pics\\nul",   u8"C:\\Con.txt",
                                       u8"C:\\LPT1 .png", u8"C:\\com\u00B9.png", u8"C:\\AUX\\a.png",
                                       u8"\\\\.\\NUL",    u8"C:/a.png",          picture.u8string() + u8":stream"};
  for (const std::filesystem::path& other : {dir.File("folder.png"), dir.File("missing.png")})
    refused.push_back(other.u8string());
  EXPECT_FALSE(ReadLocalFileBytes(picture, 6)) << "over the limit";
  for (const std::u8string& path : refused)
    EXPECT_FALSE(ReadLocalFileBytes(std::filesystem::path(path), 100)) << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace kivo
