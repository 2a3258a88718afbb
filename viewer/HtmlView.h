// The viewer's engine: one document, laid out for a width, painted through a
// canvas, with scrolling, hover, selection, find and deferred pictures. Knows
// nothing of windows; the Win32 control forwards input and paints through it.
//
// Coordinates given to and returned by THtmlView are client coordinates of the
// view (the scroll position already applied) unless a name says "document".
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "viewer/Canvas.h"

namespace kivo {

struct THtmlViewOptions {
  std::u16string DefaultFace = u"Verdana";
  std::u16string FixedFace = u"Courier New";
  int Charset = 204;
  int DefaultSizePx = 13;
  TColor Background = 0xFFFFFF;
  TColor Text = 0x000000;
  TColor Link = 0x0000FF;
  TColor HotLink = 0xFF0000;  // a link under the mouse
  TColor SelectionBack = 0x3399FF;
  TColor SelectionText = 0xFFFFFF;
};

class THtmlDocument;  // the engine's parsed and laid-out page

class THtmlView {
 public:
  explicit THtmlView(IFontMetrics& metrics, THtmlViewOptions options = {});
  ~THtmlView();
  THtmlView(const THtmlView&) = delete;
  THtmlView& operator=(const THtmlView&) = delete;

  // A page in windows-1251 (character references give any UTF-16 character).
  // Resets scrolling, selection and hover; the pictures it names are reported
  // by TakeImageRequests, each source once.
  void LoadHtml(std::string_view html);
  void Clear();
  void SetColors(TColor background, TColor text);
  const THtmlViewOptions& Options() const { return options_; }

  // The client size; lays out again when the width changes.
  void SetViewport(int width, int height);
  int DocumentHeight() const;
  int ScrollPos() const { return scrollPos_; }
  // Clamped to 0 .. max(0, DocumentHeight - viewport height).
  void ScrollTo(int y);
  // Scrolls to <a name> or an element's id; false when the page has none such.
  bool ScrollToAnchor(std::string_view name);

  // Everything intersecting `clip` (client coordinates).
  void Paint(ICanvas& canvas, const TRect& clip) const;

  // The target of the link at a client point, if any.
  std::optional<std::string> LinkAt(int x, int y) const;
  // Moves the hover; true when the hot link changed (repaint).
  bool SetHover(int x, int y);
  void ClearHover();

  // Mouse selection: press, drag, and the usual selection commands.
  void BeginSelection(int x, int y);
  void ExtendSelection(int x, int y);
  void SelectAll();
  void ClearSelection();
  bool HasSelection() const;
  std::u16string SelectedText() const;
  // Case-sensitive search from the end of the selection (or the top of the
  // visible part); selects what it finds and scrolls it into view.
  bool Find(std::u16string_view text);

  // Sources of <img> the page asked for since the last call, in page order.
  std::vector<std::string> TakeImageRequests();
  // The picture for a source; nullopt (or an empty bitmap) removes the
  // placeholder and shows nothing. Pictures arrive one by one and each
  // layout costs the whole page: neither lays out again; LayoutPending then
  // says whether LayOutPictures has sizes to catch up with.
  void InsertImage(const std::string& source, std::optional<TBitmap32> picture);
  // The picture will not come (it does not fit the page's budget): the alt
  // text of each of its images stands in its place.
  void InsertImageAlt(const std::string& source);
  bool LayoutPending() const;
  void LayOutPictures();

  // For tests and the benchmark: the engine behind the view.
  const THtmlDocument& Document() const;

 private:
  IFontMetrics& metrics_;
  THtmlViewOptions options_;
  std::unique_ptr<THtmlDocument> document_;
  int width_ = 0;
  int height_ = 0;
  int scrollPos_ = 0;
  std::size_t selectionAnchor_ = 0;  // characters of the page text
  std::size_t selectionFocus_ = 0;
  int hotLink_ = -1;
};

}  // namespace kivo
