// Window classes of the DLL. A DLL must unregister its classes itself, or a
// reload at another address would find a class pointing into the old image;
// so a class lives exactly as long as some window of it.
#pragma once

#include <windows.h>

namespace kivo {

struct TWindowClassOptions {
  UINT Style = 0;
  // Null: the window paints its background itself.
  HBRUSH Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  int WindowExtra = 0;
};

class TWindowClassUse {
 public:
  // The first user registers the class; later users share it as it is.
  TWindowClassUse(const wchar_t* name, WNDPROC procedure, const TWindowClassOptions& options = {});
  ~TWindowClassUse();
  TWindowClassUse(const TWindowClassUse&) = delete;
  TWindowClassUse& operator=(const TWindowClassUse&) = delete;

  const wchar_t* Name() const { return name_; }

 private:
  const wchar_t* name_;
};

}  // namespace kivo
