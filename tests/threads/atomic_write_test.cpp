// Two workers of one feed (the old record's and the new one's after a reload)
// replace the same files at once. Each replacement must succeed and leave one
// whole version, never a mix or a missing file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileIo.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

TEST(AtomicWriteThreadsTest, ConcurrentReplacementsOfOneFileAllSucceedAndLeaveOneWholeVersion) {
  const fs::path dir = fs::temp_directory_path() / "kivo_atomic_write_threads";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path path = dir / "feed.xml";
  constexpr int kWriters = 8;
  constexpr int kRounds = 50;
  auto bodyOf = [](int writer) { return std::string(4096 + writer * 512, static_cast<char>('a' + writer)); };

  std::vector<int> failures(kWriters, 0);
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int round = 0; round < kRounds; ++round)
        if (!WriteFileAtomic(path, bodyOf(w))) ++failures[static_cast<std::size_t>(w)];
    });
  }
  for (auto& writer : writers) writer.join();

  for (int w = 0; w < kWriters; ++w) EXPECT_EQ(failures[static_cast<std::size_t>(w)], 0) << "writer " << w;
  const auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.has_value());
  bool whole = false;
  for (int w = 0; w < kWriters; ++w) whole = whole || *bytes == bodyOf(w);
  EXPECT_TRUE(whole) << "the file is a mix of versions";
  int leftovers = 0;
  for (const auto& entry : fs::directory_iterator(dir)) leftovers += entry.path().filename() != "feed.xml";
  EXPECT_EQ(leftovers, 0) << "temporary files left behind";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kivo
