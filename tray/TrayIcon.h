// The plugin's icon in the notification area: what the settings and the
// plugin object ask of it, and its logic (TTrayController) over a small view:
// two frames that alternate every 500 ms while news waits, a hint that counts
// the unread themes, the left button toggling the reader and the right
// button's menu.
#pragma once

#include <string>
#include <vector>

namespace kivo {

class ITrayIconOps {
 public:
  virtual ~ITrayIconOps() = default;
  virtual void SetVisible(bool visible) = 0;
};

// What the icon and its menu ask of the plugin.
class ITrayIconHost {
 public:
  virtual ~ITrayIconHost() = default;
  // Shows the reader window when hidden, hides it when shown.
  virtual void ToggleReaderWindow() = 0;
  virtual void ShowReaderWindow() {}  // N6
  virtual void HideReaderWindow() {}  // N7
  virtual void OpenOptions() {}       // N23
};

class ITrayIcon : public ITrayIconOps {
 public:
  virtual bool Visible() const = 0;
  virtual bool Blinking() const { return false; }
  // Off shows the first frame again.
  virtual void SetBlinking(bool) {}
  virtual void SetUnreadCount(int) {}
};

// The icon's message-only window and the message it hears the icon's mouse
// by (wParam: the icon, lParam: WM_LBUTTONUP...), as scripts reach them too.
inline constexpr wchar_t kTrayWindowClass[] = L"TKivoRssTrayWindow";
inline constexpr unsigned kTrayCallbackMessage = 0x8000 + 1;  // WM_APP + 1

// TrayPopupMenu's items, by their menu identifiers; a separator (N22)
// stands between N7 and N23.
enum class TTrayCommand { None, N6, N7, N23 };
enum class TTrayButton { Left, Right, Middle };

struct TTrayMenuItem {
  TTrayCommand Command = TTrayCommand::None;  // None: the separator
  std::string Caption;                        // windows-1251
  int Picture = -1;                           // of the reader window's pictures
};

class ITrayView {
 public:
  virtual ~ITrayView() = default;
  virtual void ShowIcon(bool shown) = 0;
  virtual void SetFrame(int frame) = 0;
  virtual void SetHint(const std::string& hint) = 0;  // windows-1251
  virtual void SetBlinkTimer(bool running) = 0;       // 500 ms
  // The menu at the pointer; the item chosen, None when dismissed.
  virtual TTrayCommand PopupMenu(const std::vector<TTrayMenuItem>& items) = 0;
};

class TTrayController {
 public:
  static constexpr unsigned kBlinkMs = 500;

  TTrayController(ITrayView& view, ITrayIconHost& host);

  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  void SetBlinking(bool blinking);
  bool Blinking() const { return blinking_; }
  void SetUnreadCount(int unread);
  // The language changed: the hint follows.
  void RefreshHint();

  void OnBlinkTimer();
  void OnMouseUp(TTrayButton button);

  // The hint: the reader's caption, then the unread count when there is one.
  static std::string Hint(int unread);
  static std::vector<TTrayMenuItem> MenuItems();

 private:
  ITrayView& view_;
  ITrayIconHost& host_;
  bool visible_ = false;
  bool blinking_ = false;
  int frame_ = 0;
  int unread_ = 0;
};

}  // namespace kivo
