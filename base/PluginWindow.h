// What the host's hide message does with each of the plugin's windows.
#pragma once

namespace kivo {

class IPluginWindow {
 public:
  virtual ~IPluginWindow() = default;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

}  // namespace kivo
