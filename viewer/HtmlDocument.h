// The engine behind THtmlView: a parsed page, its layout for the current
// width, and what is asked of it in document coordinates (y from the top of
// the page): hit tests, character positions, anchors and painting.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "viewer/Canvas.h"
#include "viewer/HtmlContent.h"
#include "viewer/HtmlLayout.h"
#include "viewer/HtmlView.h"

namespace kivo {

struct THtmlPaintState {
  const THtmlViewOptions* Options = nullptr;
  std::size_t SelectionStart = 0;
  std::size_t SelectionEnd = 0;
  int HotLink = -1;
};

class THtmlDocument {
 public:
  explicit THtmlDocument(IFontMetrics& metrics);
  ~THtmlDocument();

  // A page in windows-1251; lays out again at the last width.
  void Load(std::string_view html, const THtmlViewOptions& options);
  void Layout(int width);

  const THtmlContent& Content() const { return content_; }
  const THtmlLayout& Display() const { return layout_; }
  int Height() const { return layout_.Height; }
  // The page text in reading order; selections and finds index into it.
  std::u16string_view Text() const { return content_.Text; }

  std::vector<std::string> TakeImageRequests();
  // True when a picture of that source is on the page. Neither lays out
  // again: when the images of the picture change size, the layout is stale
  // until the next Layout.
  bool SetPicture(const std::string& source, std::optional<TBitmap32> picture);
  // The picture will not be shown: its images show their alt texts.
  bool SetPictureAlt(const std::string& source);
  bool LayoutStale() const { return layoutStale_; }

  // -1 when no link is there.
  int LinkAt(int x, int y) const;
  const std::string& LinkTarget(int link) const { return content_.Links[static_cast<std::size_t>(link)]; }
  // The character boundary nearest to a point.
  std::size_t CharAt(int x, int y) const;
  // The first character on a line that reaches below `y`.
  std::size_t FirstCharBelow(int y) const;
  // The line box part of the run holding a character.
  std::optional<TRect> CharBounds(std::size_t index) const;
  std::optional<int> AnchorTop(std::string_view name) const;
  // Copyable text of a range: pictures left out, no-break blanks as blanks.
  std::u16string PlainText(std::size_t start, std::size_t end) const;

  // `clip` in client coordinates; the page is drawn `scroll` pixels up.
  void Paint(ICanvas& canvas, const TRect& clip, int scroll, const THtmlPaintState& state) const;

 private:
  TColor ResolveColor(TColor color, const THtmlViewOptions& options) const;
  void PaintText(ICanvas& canvas, const TDisplayItem& item, int scroll, const THtmlPaintState& state) const;
  void PaintImage(ICanvas& canvas, const TDisplayItem& item, const TRect& rect) const;
  std::size_t CharInItem(const TDisplayItem& item, int x) const;
  int Width(const TDisplayItem& item, std::size_t start, std::size_t end) const;

  // Gives the picture its new state and marks the layout stale when one of its images changes size.
  bool ReplacePicture(const std::string& source, TPictureState state, TBitmap32 bitmap);

  IFontMetrics& metrics_;
  THtmlContent content_;
  std::unique_ptr<THtmlLayoutEngine> engine_;
  THtmlLayout layout_;
  std::unordered_map<std::string, int> pictureIndex_;
  std::vector<std::vector<int>> imagesOfPicture_;  // into content_.Images, per picture
  std::vector<std::string> requests_;
  int width_ = 0;
  bool layoutStale_ = false;
};

}  // namespace kivo
