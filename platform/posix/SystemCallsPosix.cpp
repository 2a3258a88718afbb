#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace kivo {

namespace {

struct FolderCloser {
  void operator()(DIR* folder) const { closedir(folder); }
};

// ENOTDIR: a file stands where the path has a folder, so nothing is at it.
bool IsNothingThere(int error) {
  return error == ENOENT || error == ENOTDIR;
}

}  // namespace

std::FILE* OpenFile(const TFilePath& path, std::string_view mode) {
  return std::fopen(path.c_str(), std::string(mode).c_str());
}

bool SyncToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

long ProcessId() {
  return static_cast<long>(getpid());
}

void SetStdoutBinary() {}

TPathKind PathKind(const TFilePath& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return IsNothingThere(errno) ? TPathKind::kNothing : TPathKind::kUnknown;
  if (S_ISDIR(status.st_mode)) return TPathKind::kFolder;
  return S_ISREG(status.st_mode) ? TPathKind::kFile : TPathKind::kUnknown;
}

std::optional<std::uintmax_t> SystemFileSize(const TFilePath& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::uintmax_t>(status.st_size);
}

bool MoveReplacing(const TFilePath& from, const TFilePath& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const TFilePath& path) {
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool MakeFolder(const TFilePath& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

// A name whose kind the listing does not give (or a link) is looked up: a
// link to a folder is a folder, one that leads nowhere is listed.
std::vector<TFilePath> FileNamesIn(const TFilePath& folder) {
  std::vector<TFilePath> names;
  const std::unique_ptr<DIR, FolderCloser> listing(opendir(folder.c_str()));
  if (!listing) return names;
  while (const dirent* entry = readdir(listing.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (entry->d_type == DT_DIR) continue;
    if (entry->d_type != DT_REG && PathKind(folder / TFilePath(name)) == TPathKind::kFolder) continue;
    names.emplace_back(name);
  }
  return names;
}

TFilePath PathFromArgument(std::string_view argument) {
  return TFilePath(std::string(argument));
}

}  // namespace kivo
