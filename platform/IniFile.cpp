#include "platform/IniFile.h"

#include "platform/FileIo.h"

namespace kivo {

TIniFile::TIniFile(TFilePath path) : path_(std::move(path)) {
  if (path_.empty()) return;
  if (const auto bytes = ReadFileBytes(path_))
    Parse(*bytes);
  else
    unreadable_ = PathExists(path_);
}

bool TIniFile::UpdateFile() const {
  if (path_.empty() || unreadable_) return false;
  return WriteFileAtomic(path_, Text());
}

}  // namespace kivo
