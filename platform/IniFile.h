// An INI file beside the module: its text (base/IniText) read whole when it
// is opened and written back atomically by UpdateFile. Our own reader, not the
// system's profile functions: those would decode the windows-1251 text through
// the system code page.
#pragma once

#include "base/FilePaths.h"
#include "base/IniText.h"

namespace kivo {

class TIniFile final : public TIniText {
 public:
  // Reads `path` when it exists; a missing file is an empty INI.
  explicit TIniFile(TFilePath path);
  template <NarrowText T>
  explicit TIniFile(const T& path) = delete;

  const TFilePath& FileName() const { return path_; }

  // Writes the file (CR LF lines) through a temporary file and a rename.
  // False when it could not be written, or when the file existed but could
  // not be read (writing would drop every key of it); the old file is then
  // untouched.
  bool UpdateFile() const;

 private:
  TFilePath path_;
  bool unreadable_ = false;  // the file exists but could not be read: never overwrite it
};

}  // namespace kivo
