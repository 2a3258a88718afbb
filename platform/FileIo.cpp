#include "platform/FileIo.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "platform/SystemCalls.h"

namespace kivo {
namespace fs = std::filesystem;

namespace {

// The platform maps 8-bit paths through the system code page, which is what
// the rest of the plugin uses for file names too.
fs::path ToPath(const std::string& path) {
  return fs::path(path);
}

// Unique per write: two workers replacing the same file (a reload leaves the
// old record's load running beside the new one's) must not share a temporary,
// or one renames the other's half-written bytes and the other's rename fails.
// The same holds for two messengers running from one plugin folder.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(ProcessId()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp~";
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool WriteAndFlush(const std::string& path, std::string_view bytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0 && SyncToDisk(file.get());
  return std::fclose(file.release()) == 0 && written;
}

// Windows refuses to replace a file another thread is replacing or reading at
// that moment; those refusals last milliseconds, so a few tries ride them out.
void ReplaceWithRetries(const std::string& from, const std::string& to, std::error_code& ec) {
  constexpr int kTries = 50;
  for (int attempt = 1;; ++attempt) {
    fs::rename(ToPath(from), ToPath(to), ec);
    if (!ec || attempt == kTries) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::error_code ec;
  const auto size = fs::file_size(ToPath(path), ec);
  if (!ec && size > maxBytes) return std::nullopt;
  std::string bytes;
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  // The stream's own read turns a read error into its bad state; iterating
  // its buffer would let the error escape as an exception.
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.append(chunk, static_cast<size_t>(in.gcount()));
    if (bytes.size() > maxBytes) return std::nullopt;  // it grew, or its size was not known
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string temporary = TemporaryNameFor(path);
  if (!WriteAndFlush(temporary, bytes)) {
    std::error_code ignored;
    fs::remove(ToPath(temporary), ignored);
    return false;
  }
  std::error_code ec;
  ReplaceWithRetries(temporary, path, ec);
  if (ec) {
    fs::remove(ToPath(temporary), ec);
    return false;
  }
  return true;
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(ToPath(path), ec) || ec.value() != 0;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(ToPath(path), ec);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(ToPath(path), ec);
}

bool DeleteFileIfExists(const std::string& path) {
  std::error_code ec;
  fs::remove(ToPath(path), ec);
  return !ec;
}

void WriteStdoutBytes(std::string_view bytes) {
  static const bool binary = (SetStdoutBinary(), true);
  (void)binary;
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace kivo
