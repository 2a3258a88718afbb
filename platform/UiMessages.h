// Posting to the user-interface thread: the only way a worker talks to a window.
#pragma once

namespace kivo {

class IMessagePoster {
 public:
  virtual ~IMessagePoster() = default;
  // Queues `message` (wParam 0, lParam `lParam`) for the window's thread and
  // returns at once; safe from any thread.
  virtual void Post(unsigned message, long lParam) = 0;
};

}  // namespace kivo
