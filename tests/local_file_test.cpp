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
  const std::string picture = dir.File("a.png");
  ASSERT_TRUE(WriteFileAtomic(picture, "picture"));
  std::filesystem::create_directory(dir.Path() / "folder.png");
  EXPECT_EQ(ReadLocalFileBytes(picture, 7), "picture");
  std::vector<std::string> refused =
      kPathSeparator == '/'
          ? std::vector<std::string>{"/dev/null", "/dev/zero"}
          : std::vector<std::string>{"C:\\COM1.png",  "C:\\pics\\nul",   "C:\\Con.txt",
                                     "C:\\LPT1 .png", "C:\\com\xB9.png", "C:\\AUX\\a.png",
                                     "\\\\.\\NUL",    "C:/a.png",        picture + ":stream"};
  for (const std::string& other : {dir.File("folder.png"), dir.File("missing.png")}) refused.push_back(other);
  EXPECT_FALSE(ReadLocalFileBytes(picture, 6)) << "over the limit";
  for (const std::string& path : refused) EXPECT_FALSE(ReadLocalFileBytes(path, 100)) << path;
}

}  // namespace
}  // namespace kivo
