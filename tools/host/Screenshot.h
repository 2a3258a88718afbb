// Pictures of windows as 24-bit BMP files.
#pragma once

#include <windows.h>

#include <string>

namespace kivo::host {

// Repaints the window and copies it, frame included, into `file`.
bool SaveWindowBitmap(HWND window, const std::wstring& file, std::string& error);

}  // namespace kivo::host
