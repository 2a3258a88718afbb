// The plugin's icon in the notification area, as the settings and the
// plugin object drive it.
#pragma once

namespace kivo {

class ITrayIconOps {
 public:
  virtual ~ITrayIconOps() = default;
  virtual void SetVisible(bool visible) = 0;
};

// What a click on the icon asks of the plugin.
class ITrayIconHost {
 public:
  virtual ~ITrayIconHost() = default;
  // Shows the reader window when hidden, hides it when shown.
  virtual void ToggleReaderWindow() = 0;
};

class ITrayIcon : public ITrayIconOps {
 public:
  virtual bool Visible() const = 0;
};

}  // namespace kivo
