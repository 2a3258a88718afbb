#include "platform/FileIo.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/SystemCalls.h"

namespace kivo {

namespace {

// Unique per write: two workers replacing the same file (a reload leaves the
// old record's load running beside the new one's) must not share a temporary,
// or one renames the other's half-written bytes and the other's rename fails.
// The same holds for two messengers running from one plugin folder. The name
// does not grow with the file's: a file whose path just fits the system's
// limit would otherwise never be replaced.
TFilePath TemporaryNameFor(const TFilePath& path) {
  static std::atomic<unsigned> counter{0};
  // Appended piece by piece: GCC 12 warns falsely on a literal + std::string.
  std::string name = "~";
  name.append(std::to_string(ProcessId())).append("-").append(std::to_string(counter.fetch_add(1)));
  name.append(".tmp");
  return path.parent_path() / std::string_view(name);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAndFlush(const TFilePath& path, std::string_view bytes) {
  TFile file(OpenFile(path, "wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0 && SyncToDisk(file.get());
  return std::fclose(file.release()) == 0 && written;
}

// Windows refuses to replace a file another thread is replacing or reading at
// that moment; those refusals last milliseconds, so a few tries ride them out.
bool ReplaceWithRetries(const TFilePath& from, const TFilePath& to) {
  constexpr int kTries = 50;
  for (int attempt = 1;; ++attempt) {
    if (MoveReplacing(from, to)) return true;
    if (attempt == kTries) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

std::optional<std::string> ReadFileBytes(const TFilePath& path, std::size_t maxBytes) {
  TFile file(OpenFile(path, "rb"));
  if (!file) return std::nullopt;
  const auto size = SystemFileSize(path);
  if (size && *size > maxBytes) return std::nullopt;
  std::string bytes;
  if (size) bytes.reserve(static_cast<size_t>(*size));
  char chunk[65536];
  for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    bytes.append(chunk, got);
    if (bytes.size() > maxBytes) return std::nullopt;  // it grew, or its size was not known
  }
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return bytes;
}

std::optional<std::uintmax_t> FileSize(const TFilePath& path) {
  return SystemFileSize(path);
}

bool WriteFileAtomic(const TFilePath& path, std::string_view bytes) {
  const TFilePath temporary = TemporaryNameFor(path);
  if (WriteAndFlush(temporary, bytes) && ReplaceWithRetries(temporary, path)) return true;
  RemoveFile(temporary);
  return false;
}

bool PathExists(const TFilePath& path) {
  return PathKind(path) != TPathKind::kNothing;
}

bool FileExists(const TFilePath& path) {
  return PathKind(path) == TPathKind::kFile;
}

bool DirectoryExists(const TFilePath& path) {
  return PathKind(path) == TPathKind::kFolder;
}

bool DeleteFileIfExists(const TFilePath& path) {
  return RemoveFile(path);
}

bool RenameFile(const TFilePath& from, const TFilePath& to) {
  return MoveReplacing(from, to);
}

bool CreateFolder(const TFilePath& path) {
  MakeFolder(path);
  return DirectoryExists(path);
}

std::vector<TFilePath> ListFiles(const TFilePath& folder) {
  return FileNamesIn(folder);
}

void WriteStdoutBytes(std::string_view bytes) {
  static const bool binary = (SetStdoutBinary(), true);
  (void)binary;
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace kivo
