// Pictures of windows as 24-bit BMP files.
#pragma once

#include <windows.h>

#include <string>

namespace kivo::host {

// Repaints the window and copies it, frame included, into `file`. A layered
// window of ours gives its own last frame instead, over a desktop colour.
bool SaveWindowBitmap(HWND window, const std::wstring& file, std::string& error);

}  // namespace kivo::host
