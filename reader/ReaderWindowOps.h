// The reader window (TForm1) as the layers above it drive it: the settings
// storage (tabs, feed menu, icons, placement, timers) and the plugin object
// (showing, hiding, the options button, the call-word menu).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/FilePaths.h"
#include "base/Geometry.h"
#include "base/PluginWindow.h"

namespace kivo {

// What the settings code does to the reader window.
class IReaderWindowOps {
 public:
  virtual ~IReaderWindowOps() = default;
  virtual void SetLogoVisible(bool visible) = 0;  // Imagelogo
  virtual void settabsposition(int position) = 0;
  virtual void SetCheckNewTimerEnabled(bool enabled) = 0;
  virtual TRect GetPlacement() const = 0;
  virtual void SetPlacement(const TRect& rect) = 0;
  virtual void ClearFeedMenu() = 0;   // PopupMenu2
  virtual void ClearTabs() = 0;       // TabControl1
  virtual void ClearFeedIcons() = 0;  // ImageList2
  // A PopupMenu2 item with image index 0, drawn and clicked by the window.
  virtual void AddFeedMenuItem(const std::string& caption, const std::string& hint, int tag) = 0;
  virtual void AddTab(const std::string& text) = 0;
  virtual void LoadIconOfSite(int index, const TFilePath& path) = 0;
  virtual void check_new_grid_count(int feedIndex) = 0;
};

// An item of the special contacts' menu (PopupSpecContacts): a feed by its
// tag, -1 the options, -2 adding a feed; or a separator.
struct TMenuEntry {
  std::string Caption;
  int Tag = 0;
  bool Separator = false;
};

class IReaderWindow : public IReaderWindowOps, public IPluginWindow {
 public:
  virtual void TabControl1Change() = 0;
  // Shows the window when hidden, hides it when shown.
  virtual void TrIconDblClick() = 0;
  virtual void ToolOptionsClick() = 0;
  // PopupMenu1 (its one item N1) at a screen point.
  virtual void PopupMenu1At(int x, int y) = 0;
  // A click on a notice: the window shown (as N6), on feed `feed` when it is one.
  virtual void ShowOnFeed(int /*feed*/) {}
  // The site icon shown for feed `index` (ImageList2); null when none.
  virtual const TBitmap32* FeedIcon(int) const { return nullptr; }
  // Picture `index` of the window's own list (PngImageList1); null when none.
  virtual const TBitmap32* WindowPicture(int) const { return nullptr; }
  // The feed of the tab shown, -1 with none.
  virtual int ShownFeed() const { return -1; }
  // As a click on tab `feed`; nothing for a tab that does not exist.
  virtual void SelectFeed(int /*feed*/) {}
  // PopupSpecContacts at a screen point, drawn as the feeds menu; the tag of
  // the item chosen, nullopt when none was.
  virtual std::optional<int> PopupSpecContactsAt(const std::vector<TMenuEntry>& /*items*/, int /*x*/,
                                                 int /*y*/) {
    return std::nullopt;
  }
  // The X-status text: the viewer's selection, else the whole page, which is
  // selected and deselected again to take it.
  virtual std::u16string StatusText() { return {}; }
  // Reads the item caches a start left pending on a worker (feeds/ItemCacheReads.h).
  virtual void StartItemCacheReads() {}
};

}  // namespace kivo
