#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "platform/Thread.h"

namespace kivo {
namespace {

// A worker reading from an empty removable drive could put the system's
// "insert a disk" dialog in front of the messenger and wait for an answer.
TEST(SystemThreads, WorkersRunWithCriticalErrorDialogsOff) {
  std::atomic<DWORD> mode{0};
  const DWORD before = GetThreadErrorMode();
  SystemThreads().Start([&mode] { mode = GetThreadErrorMode(); })->Join();
  EXPECT_NE(mode.load() & SEM_FAILCRITICALERRORS, 0u);
  EXPECT_EQ(GetThreadErrorMode(), before) << "the starting thread keeps its own mode";
}

}  // namespace
}  // namespace kivo
