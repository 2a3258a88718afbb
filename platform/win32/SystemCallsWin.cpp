#include <fcntl.h>    // _O_BINARY
#include <io.h>       // _commit, the C runtime's flush to the disk; _setmode
#include <process.h>  // _getpid
#include <windows.h>

#include <string>

#include "platform/FileIo.h"
#include "platform/SystemCalls.h"
#include "platform/win32/SystemHandle.h"

namespace kivo {

namespace {

// The errors by which the system says that no such file or folder is there;
// others (a denied access, a sharing violation) leave it unknown.
bool IsNothingThere(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return true;
    default:
      return false;
  }
}

bool ReadAttributes(const TFilePath& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

std::FILE* OpenFile(const TFilePath& path, std::string_view mode) {
  const std::wstring wideMode(mode.begin(), mode.end());
  return _wfopen(path.c_str(), wideMode.c_str());
}

bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

long ProcessId() {
  return _getpid();
}

void SetStdoutBinary() {
  _setmode(_fileno(stdout), _O_BINARY);
}

TPathKind PathKind(const TFilePath& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!ReadAttributes(path, data))
    return IsNothingThere(GetLastError()) ? TPathKind::kNothing : TPathKind::kUnknown;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TPathKind::kFolder : TPathKind::kFile;
}

std::optional<std::uintmax_t> SystemFileSize(const TFilePath& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!ReadAttributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::nullopt;
  return (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool MoveReplacing(const TFilePath& from, const TFilePath& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFile(const TFilePath& path) {
  if (DeleteFileW(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool MakeFolder(const TFilePath& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

std::vector<TFilePath> FileNamesIn(const TFilePath& folder) {
  std::vector<TFilePath> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAW found{};
  const TFindHandle find(FindFirstFileW((folder / "*").c_str(), &found));
  if (!find) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileW(find.Get(), &found));
  return names;
}

TFilePath PathFromArgument(std::string_view argument) {
  if (argument.empty()) return {};
  const int size = static_cast<int>(argument.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, argument.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argument.data(), size, wide.data(), length);
  return TFilePath(std::move(wide));
}

}  // namespace kivo
