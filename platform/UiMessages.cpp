#include "platform/UiMessages.h"

namespace kivo {

namespace {

class TNoPoster final : public IMessagePoster {
 public:
  void Post(unsigned, long) override {}
};

}  // namespace

IMessagePoster& NoPoster() {
  static TNoPoster poster;
  return poster;
}

}  // namespace kivo
