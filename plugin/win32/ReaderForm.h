// The reader window as the DLL builds it: the Win32 view, the logic over it,
// and the plugin object around them (feed table, settings, tray icon)
// reached through PluginInstance.
#pragma once

#include <memory>

#include "plugin/PluginHost.h"
#include "reader/ReaderSkin.h"

namespace kivo {

// `skin` (the plugin's, may be null) must outlive the window.
std::unique_ptr<IReaderWindow> CreateWin32ReaderWindow(tgradientsclass* skin);

// The skin over the system's colours.
std::unique_ptr<tgradientsclass> CreateWin32Skin();

}  // namespace kivo
