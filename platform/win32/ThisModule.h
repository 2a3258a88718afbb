// The DLL's own module: the handle for resources and window classes, and its file name.
#pragma once

#include <windows.h>

#include <string>

namespace kivo {

HMODULE ThisModule();

// At most 260 characters, as the platform reports them into a 261-character buffer.
std::u16string ModuleFileName(HMODULE module);

}  // namespace kivo
