// The platform services of the plugin object over Win32.
#pragma once

// windows.h first: its DrawText macro must rename the canvas's method everywhere alike.
#include <windows.h>

#include <optional>

#include "plugin/PluginHost.h"

namespace kivo {

class TWin32Platform final : public IPluginPlatform {
 public:
  // A handle of 0 names this module: a host that did not write the handle
  // still gets the plugin's own path, not its own executable's.
  std::u16string ModuleFileName(TPluginWord dllHandle) override;
  TSize ScreenSize() override;
  void CreateFolder(const TFilePath& path) override;
  TPluginWord LoadButtonIcon() override;
  THostString MakeHostString(std::u16string_view text) override;
  IImageDecoder& ImageDecoder() override;
  std::unique_ptr<IContactPainter> PainterOn(TPluginWord deviceContext) override;
  const TBitmap32* PluginIcon() const override;

 private:
  mutable std::optional<TBitmap32> pluginIcon_;  // read from the module at first use
};

}  // namespace kivo
