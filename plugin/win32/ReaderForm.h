// The reader window as the DLL builds it: the Win32 view with the logic over
// it, reaching the plugin through the host it is given.
#pragma once

#include <memory>

#include "reader/ReaderSkin.h"
#include "reader/ReaderView.h"
#include "reader/ReaderWindowOps.h"

namespace kivo {

// `skin` (may be null) and `host` must outlive the window.
std::unique_ptr<IReaderWindow> CreateWin32ReaderWindow(tgradientsclass* skin, IReaderHost& host);

// The skin over the system's colours.
std::unique_ptr<tgradientsclass> CreateWin32Skin();

}  // namespace kivo
