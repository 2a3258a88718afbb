#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

// A read error escaped as an exception from the stream's buffer; and a local
// picture of any size was read whole into memory.
TEST(ReadFileBytes, ReadErrorsAndFilesOverTheLimitGiveNothing) {
  const testing::TempFolder folder{"kivo_file_io_"};
  std::filesystem::create_directory(folder.File("folder"));
  ASSERT_TRUE(WriteFileAtomic(folder.File("ten"), "0123456789"));
  EXPECT_EQ(ReadFileBytes(folder.File("folder")), std::nullopt);
  EXPECT_EQ(ReadFileBytes(folder.File("missing")), std::nullopt);
  EXPECT_EQ(ReadFileBytes(folder.File("ten"), 9), std::nullopt);
  EXPECT_EQ(ReadFileBytes(folder.File("ten"), 10), "0123456789");
  EXPECT_EQ(ReadFileBytes(folder.File("ten")), "0123456789");
}

}  // namespace
}  // namespace kivo
