// The HTML viewer as a child window: paints a THtmlView double-buffered,
// scrolls (bar, wheel, keys), highlights the link under the mouse, selects
// with the mouse, and reports link clicks, right clicks and picture requests
// to its owner through callbacks.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "viewer/HtmlView.h"

namespace kivo {

struct THtmlViewerEvents {
  // A click on a link; true when the owner handled it (the viewer then does
  // nothing more; otherwise an anchor "#name" scrolls to that anchor).
  std::function<bool(const std::string& target)> LinkClick;
  // Right button up; screen coordinates and the link under the pointer.
  std::function<void(POINT screen, const std::optional<std::string>& link)> RightClick;
  // A picture the page names. True: the owner answers later with
  // InsertImage (a placeholder stands meanwhile); false: no picture.
  std::function<bool(const std::string& source)> ImageRequest;
};

class THtmlViewerControl {
 public:
  // A visible child of `parent` with the viewer's defaults ("Verdana",
  // "Courier New", Cyrillic, no border).
  THtmlViewerControl(HWND parent, int controlId, THtmlViewOptions options = {});
  ~THtmlViewerControl();
  THtmlViewerControl(const THtmlViewerControl&) = delete;
  THtmlViewerControl& operator=(const THtmlViewerControl&) = delete;

  HWND Handle() const;
  void SetEvents(THtmlViewerEvents events);
  void SetBounds(int x, int y, int width, int height);

  // A page in windows-1251; picture requests are reported before it returns.
  void LoadHtml(std::string_view html);
  void Clear();
  void SetColors(TColor background, TColor text);

  int ScrollPos() const;
  void ScrollTo(int y);
  // As Page Down and Page Up do.
  void ScrollPage(bool down);

  bool Find(std::u16string_view text);
  void SelectAll();
  std::u16string SelectedText() const;
  void ClearSelection();
  // The selected text as Unicode text on the clipboard; nothing when none is selected.
  void CopySelection() const;

  // The answer to a request; nullopt shows no picture. The page is laid out
  // for the pictures that arrived at most every 100 ms, on a timer.
  void InsertImage(const std::string& source, std::optional<TBitmap32> picture);
  // The answer for a picture over the page's budget: its alt text stands in.
  void InsertImageAlt(const std::string& source);

  const THtmlView& View() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace kivo
