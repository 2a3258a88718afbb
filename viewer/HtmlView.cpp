#include "viewer/HtmlView.h"

#include <algorithm>
#include <utility>

#include "viewer/HtmlDocument.h"

namespace kivo {

THtmlView::THtmlView(IFontMetrics& metrics, THtmlViewOptions options)
    : metrics_(metrics), options_(std::move(options)), document_(std::make_unique<THtmlDocument>(metrics_)) {}

THtmlView::~THtmlView() = default;

void THtmlView::LoadHtml(std::string_view html) {
  document_->Load(html, options_);
  scrollPos_ = 0;
  selectionAnchor_ = selectionFocus_ = 0;
  hotLink_ = -1;
}

void THtmlView::Clear() {
  LoadHtml({});
}

void THtmlView::SetColors(TColor background, TColor text) {
  options_.Background = background;
  options_.Text = text;
}

void THtmlView::SetViewport(int width, int height) {
  height_ = std::max(0, height);
  if (width != width_) {
    width_ = std::max(0, width);
    document_->Layout(width_);
  }
  ScrollTo(scrollPos_);
}

int THtmlView::DocumentHeight() const {
  return document_->Height();
}

void THtmlView::ScrollTo(int y) {
  scrollPos_ = std::clamp(y, 0, std::max(0, DocumentHeight() - height_));
}

bool THtmlView::ScrollToAnchor(std::string_view name) {
  const std::optional<int> top = document_->AnchorTop(name);
  if (top) ScrollTo(*top);
  return top.has_value();
}

void THtmlView::Paint(ICanvas& canvas, const TRect& clip) const {
  THtmlPaintState state;
  state.Options = &options_;
  state.SelectionStart = std::min(selectionAnchor_, selectionFocus_);
  state.SelectionEnd = std::max(selectionAnchor_, selectionFocus_);
  state.HotLink = hotLink_;
  document_->Paint(canvas, clip, scrollPos_, state);
}

std::optional<std::string> THtmlView::LinkAt(int x, int y) const {
  const int link = document_->LinkAt(x, y + scrollPos_);
  if (link < 0) return std::nullopt;
  return document_->LinkTarget(link);
}

bool THtmlView::SetHover(int x, int y) {
  const int link = document_->LinkAt(x, y + scrollPos_);
  return std::exchange(hotLink_, link) != link;
}

void THtmlView::ClearHover() {
  hotLink_ = -1;
}

void THtmlView::BeginSelection(int x, int y) {
  selectionAnchor_ = selectionFocus_ = document_->CharAt(x, y + scrollPos_);
}

void THtmlView::ExtendSelection(int x, int y) {
  selectionFocus_ = document_->CharAt(x, y + scrollPos_);
}

void THtmlView::SelectAll() {
  selectionAnchor_ = 0;
  selectionFocus_ = document_->Text().size();
}

void THtmlView::ClearSelection() {
  selectionAnchor_ = selectionFocus_ = 0;
}

bool THtmlView::HasSelection() const {
  return selectionAnchor_ != selectionFocus_;
}

std::u16string THtmlView::SelectedText() const {
  return document_->PlainText(std::min(selectionAnchor_, selectionFocus_),
                              std::max(selectionAnchor_, selectionFocus_));
}

bool THtmlView::Find(std::u16string_view text) {
  if (text.empty()) return false;
  const std::size_t from =
      HasSelection() ? std::max(selectionAnchor_, selectionFocus_) : document_->FirstCharBelow(scrollPos_);
  const std::size_t found = document_->Text().find(text, from);
  if (found == std::u16string_view::npos) return false;
  selectionAnchor_ = found;
  selectionFocus_ = found + text.size();
  if (const std::optional<TRect> rect = document_->CharBounds(found)) {
    if (rect->Top < scrollPos_ || rect->Bottom > scrollPos_ + height_)
      ScrollTo(rect->Top - (height_ - rect->Height()) / 2);
  }
  return true;
}

std::vector<std::string> THtmlView::TakeImageRequests() {
  return document_->TakeImageRequests();
}

void THtmlView::InsertImage(const std::string& source, std::optional<TBitmap32> picture) {
  document_->SetPicture(source, std::move(picture));
}

void THtmlView::InsertImageAlt(const std::string& source) {
  document_->SetPictureAlt(source);
}

bool THtmlView::LayoutPending() const {
  return document_->LayoutStale();
}

void THtmlView::LayOutPictures() {
  if (!document_->LayoutStale()) return;
  document_->Layout(width_);
  ScrollTo(scrollPos_);
}

const THtmlDocument& THtmlView::Document() const {
  return *document_;
}

}  // namespace kivo
