#include "platform/FileIo.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "platform/SystemCalls.h"

namespace kivo {
namespace fs = std::filesystem;

namespace {

// Unique per write: two workers replacing the same file (a reload leaves the
// old record's load running beside the new one's) must not share a temporary,
// or one renames the other's half-written bytes and the other's rename fails.
// The same holds for two messengers running from one plugin folder. The name
// does not grow with the file's: a file whose path just fits the system's
// limit would otherwise never be replaced.
fs::path TemporaryNameFor(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  // Appended piece by piece: GCC 12 warns falsely on a literal + std::string.
  std::string name = "~";
  name.append(std::to_string(ProcessId())).append("-").append(std::to_string(counter.fetch_add(1)));
  return path.parent_path() / name.append(".tmp");
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAndFlush(const fs::path& path, std::string_view bytes) {
  TFile file(OpenFile(path, "wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0 && SyncToDisk(file.get());
  return std::fclose(file.release()) == 0 && written;
}

// Windows refuses to replace a file another thread is replacing or reading at
// that moment; those refusals last milliseconds, so a few tries ride them out.
void ReplaceWithRetries(const fs::path& from, const fs::path& to, std::error_code& ec) {
  constexpr int kTries = 50;
  for (int attempt = 1;; ++attempt) {
    fs::rename(from, to, ec);
    if (!ec || attempt == kTries) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

std::optional<std::string> ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
  TFile file(OpenFile(path, "rb"));
  if (!file) return std::nullopt;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (!ec && size > maxBytes) return std::nullopt;
  std::string bytes;
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  char chunk[65536];
  for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    bytes.append(chunk, got);
    if (bytes.size() > maxBytes) return std::nullopt;  // it grew, or its size was not known
  }
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return bytes;
}

std::optional<std::uintmax_t> FileSize(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return size;
}

bool WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  const fs::path temporary = TemporaryNameFor(path);
  if (!WriteAndFlush(temporary, bytes)) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  std::error_code ec;
  ReplaceWithRetries(temporary, path, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

bool PathExists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec) || ec.value() != 0;
}

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool DirectoryExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool DeleteFileIfExists(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
  return !ec;
}

bool CreateFolder(const fs::path& path) {
  std::error_code ec;
  fs::create_directory(path, ec);
  return DirectoryExists(path);
}

std::vector<fs::path> ListFiles(const fs::path& folder) {
  std::vector<fs::path> names;
  std::error_code ec;
  fs::directory_iterator entry(folder, ec);
  for (; !ec && entry != fs::directory_iterator(); entry.increment(ec)) {
    std::error_code typeError;
    if (!entry->is_directory(typeError)) names.push_back(entry->path().filename());
  }
  return names;
}

void WriteStdoutBytes(std::string_view bytes) {
  static const bool binary = (SetStdoutBinary(), true);
  (void)binary;
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace kivo
