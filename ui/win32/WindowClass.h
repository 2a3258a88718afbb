// Window classes of the DLL. A DLL must unregister its classes itself, or a
// reload at another address would find a class pointing into the old image;
// so a class lives exactly as long as some window of it.
#pragma once

#include <windows.h>

namespace kivo {

class TWindowClassUse {
 public:
  TWindowClassUse(const wchar_t* name, WNDPROC procedure);
  ~TWindowClassUse();
  TWindowClassUse(const TWindowClassUse&) = delete;
  TWindowClassUse& operator=(const TWindowClassUse&) = delete;

  const wchar_t* Name() const { return name_; }

 private:
  const wchar_t* name_;
};

}  // namespace kivo
