// The identifiers of the two dialogs' windows and controls, shared by their
// Win32 views and by the host emulator, which drives the dialogs with the
// messages a user's clicks produce (BM_CLICK, WM_SETTEXT, LB_SETCURSEL...).
#pragma once

#include <optional>
#include <string_view>

#include "options/OptionsView.h"

namespace kivo {

inline constexpr wchar_t kOptionsWindowClass[] = L"TFormOptions";
inline constexpr wchar_t kFeedSettingsWindowClass[] = L"TFormOptions2";

// Controls of the options dialog that no controller state names.
enum class TOptionsButton {
  ListBox2 = 900,  // the page list
  BitBtn1,         // OK
  BitBtn4,         // delete the selected feed
  BitBtn5,         // the selected feed's settings
  BitBtn6,         // clear the cache
  BitBtn7,         // import an OPML file
  BitBtn8,         // export the feed list as OPML
};

// Controls of the feed settings dialog that no controller state names.
enum class TFeedSettingsButton {
  PageControl1 = 900,
  BitBtn1,  // OK
  BitBtn2,  // "Default"
};

inline constexpr int kDialogControlBase = 1000;

constexpr int ControlId(TOptionsControl control) {
  return kDialogControlBase + static_cast<int>(control);
}
constexpr int ControlId(TFeedSettingsControl control) {
  return kDialogControlBase + static_cast<int>(control);
}
constexpr int ControlId(TOptionsButton control) {
  return kDialogControlBase + static_cast<int>(control);
}
constexpr int ControlId(TFeedSettingsButton control) {
  return kDialogControlBase + static_cast<int>(control);
}

// The identifier of a control by its name ("CheckProxy", "BitBtn2"), in the
// options dialog and in the feed settings dialog.
std::optional<int> OptionsControlIdByName(std::string_view name);
std::optional<int> FeedSettingsControlIdByName(std::string_view name);

}  // namespace kivo
