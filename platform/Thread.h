// One thread of the system for one job. The workers run on these; tests put
// threads of their own in their place that hold a job back until told.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace kivo {

using TSteadyTime = std::chrono::steady_clock::time_point;

class IThread {
 public:
  // Waits for the thread when it was neither joined nor let go.
  virtual ~IThread() = default;
  virtual void Join() = 0;
  // Waits until the thread has ended or `deadline` has passed; true when it ended.
  virtual bool JoinUntil(TSteadyTime deadline) = 0;
  // The thread goes on alone; nothing waits for it any more.
  virtual void Detach() = 0;
};

class IThreadStarter {
 public:
  virtual ~IThreadStarter() = default;
  // Runs `job`, which must not throw, on a thread of its own. Throws
  // std::system_error when no thread can be started.
  virtual std::unique_ptr<IThread> Start(std::function<void()> job) = 0;
};

// The system's threads. The job and everything it holds are destroyed on its
// thread before the thread ends. On Windows a thread keeps the module that
// holds this code mapped until then, so one let go outlives an unload.
IThreadStarter& SystemThreads();

}  // namespace kivo
