// What the host keeps for the plugin and how it answers the plugin's messages:
// X-status, plugin buttons, special contacts, colours.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/PluginInfo.h"
#include "tools/host/OleString.h"

namespace kivo::host {

// Told about every change the plugin makes to what the host shows.
class IHostView {
 public:
  virtual void ButtonsChanged() = 0;
  virtual void ContactsChanged() = 0;
  virtual void ContactChanged(TPluginWord id) = 0;
  virtual void XStatusChanged() = 0;
  virtual void Log(const std::string& line) = 0;

 protected:
  ~IHostView() = default;
};

struct HostButton {
  TPluginWord Id;
  HICON Icon;  // owned by the plugin
  std::u16string Hint;
};

struct XStatus {
  TPluginWord Number = 0;
  OleString Title;
  OleString Text;
};

class HostModel {
 public:
  static constexpr std::u16string_view kFontName = u"Tahoma";
  static constexpr std::int32_t kFontSize = 8;

  HostModel();
  // Null detaches the view.
  void SetView(IHostView* view);
  void Log(const std::string& line) { view_->Log(line); }

  void Handle(TPluginMessage& message);
  // The plugin went away: its buttons and contacts go with it.
  void ForgetPlugin();

  const std::vector<HostButton>& Buttons() const { return buttons_; }
  const std::vector<TPluginWord>& Contacts() const { return contacts_; }
  const XStatus& CurrentXStatus() const { return xstatus_; }
  std::uint32_t Color(int index) const { return colors_[static_cast<size_t>(index)]; }

 private:
  void SetXStatus(const TPluginMessage& message);
  void GetXStatus(TPluginMessage& message) const;
  void AddButton(TPluginMessage& message);
  void AddContact(TPluginMessage& message);
  void RemoveContact(TPluginMessage& message);
  void GetColors(TPluginMessage& message) const;

  IHostView* view_;
  XStatus xstatus_;
  std::vector<HostButton> buttons_;
  std::vector<TPluginWord> contacts_;
  TPluginWord nextButtonId_ = 101;
  TPluginWord nextContactId_ = 1001;
  OleString fontName_{kFontName};
  std::array<std::uint32_t, kHostColorCount> colors_{};
};

}  // namespace kivo::host
