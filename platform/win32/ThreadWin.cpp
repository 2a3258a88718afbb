#include <windows.h>

#include <chrono>
#include <system_error>
#include <utility>

#include "platform/Thread.h"

namespace kivo {

namespace {

const char kAddressInThisModule = 0;

// What a new thread owns: its job and its reference to this module.
struct TThreadStart {
  std::function<void()> Job;
  HMODULE Module = nullptr;
};

DWORD WINAPI RunThread(LPVOID parameter) {
  std::unique_ptr<TThreadStart> start(static_cast<TThreadStart*>(parameter));
  const HMODULE module = start->Module;
  // A worker that meets an empty removable drive or a failing disk must fail
  // its job, not put a system dialog in front of the messenger.
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
  start->Job();
  // The job's objects are destroyed by this module's code: while it is surely mapped.
  start.reset();
  FreeLibraryAndExitThread(module, 0);
}

DWORD MillisecondsUntil(TSteadyTime deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  return left.count() < INFINITE ? static_cast<DWORD>(left.count()) : INFINITE - 1;
}

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

class TWin32Thread final : public IThread {
 public:
  TWin32Thread() = default;
  ~TWin32Thread() override { Join(); }
  TWin32Thread(const TWin32Thread&) = delete;
  TWin32Thread& operator=(const TWin32Thread&) = delete;

  void Adopt(HANDLE handle) { handle_ = handle; }
  void Join() override {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    Close();
  }
  bool JoinUntil(TSteadyTime deadline) override {
    if (!handle_) return true;
    if (WaitForSingleObject(handle_, MillisecondsUntil(deadline)) != WAIT_OBJECT_0) return false;
    Close();
    return true;
  }
  void Detach() override { Close(); }

 private:
  void Close() {
    if (handle_) CloseHandle(std::exchange(handle_, nullptr));
  }

  HANDLE handle_ = nullptr;
};

class TWin32ThreadStarter final : public IThreadStarter {
 public:
  // The module reference is taken here rather than by the new thread: between
  // CreateThread and its first instruction the module could already go.
  std::unique_ptr<IThread> Start(std::function<void()> job) override {
    auto thread = std::make_unique<TWin32Thread>();
    auto start = std::make_unique<TThreadStart>(TThreadStart{std::move(job), nullptr});
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&kAddressInThisModule), &start->Module)) {
      ThrowLastError("GetModuleHandleExW");
    }
    const HANDLE handle = CreateThread(nullptr, 0, RunThread, start.get(), 0, nullptr);
    if (!handle) {
      const DWORD error = GetLastError();
      FreeLibrary(start->Module);
      SetLastError(error);
      ThrowLastError("CreateThread");
    }
    static_cast<void>(start.release());  // the thread owns it now
    thread->Adopt(handle);
    return thread;
  }
};

}  // namespace

IThreadStarter& SystemThreads() {
  static TWin32ThreadStarter threads;
  return threads;
}

}  // namespace kivo
