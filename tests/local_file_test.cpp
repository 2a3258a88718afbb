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
  const std::filesystem::path folder = dir.File("folder.png");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(ReadLocalFileBytes(picture, 7), "picture");
  std::vector<std::u8string> refused =
      std::filesystem::path::preferred_separator == '/'
          ? std::vector<std::u8string>{u8"/dev/null"}
          : std::vector<std::u8string>{u8"C:\\COM1.png", u8"C:\\pics\\nul", u8"C:\\lpt\u00B9 .png",
                                       u8"\\\\.\\NUL",   u8"C:/a.png",      picture.u8string() + u8":stream"};
  refused.push_back(folder.u8string());
  EXPECT_FALSE(ReadLocalFileBytes(picture, 6)) << "over the limit";
  for (const std::u8string& path : refused)
    EXPECT_FALSE(ReadLocalFileBytes(std::filesystem::path(path), 100))
        << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace kivo
