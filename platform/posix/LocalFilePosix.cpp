#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/LocalFile.h"

namespace kivo {

namespace {

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

// O_NONBLOCK: opening a pipe without a writer, or a terminal, must not wait.
// The kind is told from the open descriptor, so that no other file can take
// the name's place between the check and the read.
std::optional<std::string> ReadLocalFileBytes(const TFilePath& path, std::size_t maxBytes) {
  const TFileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status {};
  if (file.Get() < 0 || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (static_cast<std::size_t>(status.st_size) > maxBytes) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(status.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(file.Get(), chunk, sizeof chunk);
    if (got < 0) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk, static_cast<std::size_t>(got));
    if (bytes.size() > maxBytes) return std::nullopt;  // it grew while being read
  }
}

}  // namespace kivo
