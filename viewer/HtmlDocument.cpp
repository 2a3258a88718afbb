#include "viewer/HtmlDocument.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "base/Text1251.h"
#include "viewer/HtmlBuilder.h"

namespace kivo {
namespace {

constexpr TColor kPlaceholderColor = 0xC0C0C0;

bool ValidPicture(const std::optional<TBitmap32>& picture) {
  return picture && picture->Width > 0 && picture->Height > 0 &&
         picture->Pixels.size() ==
             static_cast<std::size_t>(picture->Width) * static_cast<std::size_t>(picture->Height);
}

// Stamps are never reused, in any document: a canvas's kept form of a
// picture can never stand for other pixels.
std::uint64_t NextPictureStamp() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

TRect Shifted(TRect rect, int dy) {
  rect.Top += dy;
  rect.Bottom += dy;
  return rect;
}

}  // namespace

THtmlDocument::THtmlDocument(IFontMetrics& metrics)
    : metrics_(metrics), engine_(std::make_unique<THtmlLayoutEngine>(content_, metrics)) {}

THtmlDocument::~THtmlDocument() = default;

void THtmlDocument::Load(std::string_view html, const THtmlViewOptions& options) {
  engine_.reset();
  content_ = BuildHtmlContent(WinToUtf16(html), options);
  engine_ = std::make_unique<THtmlLayoutEngine>(content_, metrics_);
  pictureIndex_.clear();
  requests_.clear();
  for (std::size_t i = 0; i < content_.Pictures.size(); ++i) {
    pictureIndex_.emplace(content_.Pictures[i].Source, static_cast<int>(i));
    requests_.push_back(content_.Pictures[i].Source);
  }
  imagesOfPicture_.assign(content_.Pictures.size(), {});
  for (std::size_t i = 0; i < content_.Images.size(); ++i) {
    const int picture = content_.Images[i].Picture;
    if (picture >= 0) imagesOfPicture_[static_cast<std::size_t>(picture)].push_back(static_cast<int>(i));
  }
  Layout(width_);
}

// Content widths depend on picture sizes: measures are forgotten once for
// all the pictures that arrived since the last layout.
void THtmlDocument::Layout(int width) {
  if (layoutStale_) engine_->ForgetMeasures();
  width_ = width;
  layout_ = engine_->Layout(width);
  layoutStale_ = false;
}

std::vector<std::string> THtmlDocument::TakeImageRequests() {
  return std::exchange(requests_, {});
}

bool THtmlDocument::SetPicture(const std::string& source, std::optional<TBitmap32> picture) {
  const bool valid = ValidPicture(picture);
  return ReplacePicture(source, valid ? TPictureState::Shown : TPictureState::None,
                        valid ? std::move(*picture) : TBitmap32{});
}

bool THtmlDocument::SetPictureAlt(const std::string& source) {
  return ReplacePicture(source, TPictureState::Alternative, {});
}

bool THtmlDocument::ReplacePicture(const std::string& source, TPictureState state, TBitmap32 bitmap) {
  const auto found = pictureIndex_.find(source);
  if (found == pictureIndex_.end()) return false;
  const std::vector<int>& images = imagesOfPicture_[static_cast<std::size_t>(found->second)];
  std::vector<TSize> before;
  for (const int image : images)
    before.push_back(ImageSize(content_, content_.Images[static_cast<std::size_t>(image)]));
  TPicture& slot = content_.Pictures[static_cast<std::size_t>(found->second)];
  slot.State = state;
  slot.Bitmap = std::move(bitmap);
  slot.Stamp = state == TPictureState::Shown ? NextPictureStamp() : 0;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const TImage& image = content_.Images[static_cast<std::size_t>(images[i])];
    const TSize after = ImageSize(content_, image);
    const bool resized = after.Width != before[i].Width || after.Height != before[i].Height;
    if (resized || (state == TPictureState::Alternative && !image.Alt.empty())) {
      layoutStale_ = true;
    }
  }
  return true;
}

// ---- hit tests ------------------------------------------------------------------

int THtmlDocument::LinkAt(int x, int y) const {
  const auto [first, end] = layout_.ItemsBetween(y, y + 1);
  for (std::size_t i = first; i < end; ++i) {
    const TDisplayItem& item = layout_.Items[i];
    if (item.Link >= 0 && item.Rect.Contains(x, y)) return item.Link;
  }
  return -1;
}

int THtmlDocument::Width(const TDisplayItem& item, std::size_t start, std::size_t end) const {
  if (end <= start) return 0;
  return metrics_.TextWidth(content_.Styles[static_cast<std::size_t>(item.Style)].Font,
                            std::u16string_view(content_.Text).substr(start, end - start));
}

std::size_t THtmlDocument::CharInItem(const TDisplayItem& item, int x) const {
  if (x <= item.Rect.Left) return item.Start;
  if (x >= item.Rect.Right) return item.End;
  const int offset = x - item.Rect.Left;
  std::size_t low = item.Start, high = item.End;  // the first boundary right of x
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (Width(item, item.Start, mid + 1) > offset) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  if (low >= item.End) return item.End;
  const int before = Width(item, item.Start, low);
  const int after = Width(item, item.Start, low + 1);
  return offset * 2 < before + after ? low : low + 1;
}

std::size_t THtmlDocument::CharAt(int x, int y) const {
  const auto [first, end] = layout_.ItemsBetween(y, y + 1);
  const TDisplayItem* best = nullptr;
  int bestDistance = std::numeric_limits<int>::max();
  for (std::size_t i = first; i < end; ++i) {
    const TDisplayItem& item = layout_.Items[i];
    if (item.Kind != TDisplayKind::Text || y < item.Rect.Top || y >= item.Rect.Bottom) continue;
    const int distance = x < item.Rect.Left     ? item.Rect.Left - x
                         : x >= item.Rect.Right ? x - item.Rect.Right + 1
                                                : 0;
    if (distance < bestDistance) best = &item, bestDistance = distance;
  }
  if (best != nullptr) return CharInItem(*best, x);
  // Between lines: the nearest line, its start when the point is above it.
  long long bestScore = std::numeric_limits<long long>::max();
  for (const int index : layout_.TextItems) {
    const TDisplayItem& item = layout_.Items[static_cast<std::size_t>(index)];
    const int dy = y < item.Rect.Top ? item.Rect.Top - y : y - item.Rect.Bottom + 1;
    const int dx = x < item.Rect.Left     ? item.Rect.Left - x
                   : x >= item.Rect.Right ? x - item.Rect.Right + 1
                                          : 0;
    const long long score = static_cast<long long>(dy) * 65536 + dx;
    if (score < bestScore) best = &item, bestScore = score;
  }
  if (best == nullptr) return 0;
  return y < best->Rect.Top ? best->Start : best->End;
}

std::size_t THtmlDocument::FirstCharBelow(int y) const {
  for (const int index : layout_.TextItems) {
    const TDisplayItem& item = layout_.Items[static_cast<std::size_t>(index)];
    if (item.Rect.Bottom > y) return item.Start;
  }
  return content_.Text.size();
}

std::optional<TRect> THtmlDocument::CharBounds(std::size_t index) const {
  const auto it = std::upper_bound(
      layout_.TextItems.begin(), layout_.TextItems.end(), index,
      [this](std::size_t i, int item) { return i < layout_.Items[static_cast<std::size_t>(item)].End; });
  if (it == layout_.TextItems.end()) return std::nullopt;
  return layout_.Items[static_cast<std::size_t>(*it)].Rect;
}

std::optional<int> THtmlDocument::AnchorTop(std::string_view name) const {
  for (std::size_t i = 0; i < content_.Anchors.size(); ++i) {
    if (content_.Anchors[i] == name && layout_.AnchorTops.size() > i && layout_.AnchorTops[i] >= 0)
      return layout_.AnchorTops[i];
  }
  return std::nullopt;
}

std::u16string THtmlDocument::PlainText(std::size_t start, std::size_t end) const {
  end = std::min(end, content_.Text.size());
  std::u16string out;
  for (std::size_t i = start; i < end; ++i) {
    const char16_t c = content_.Text[i];
    if (c != kObjectChar) out += c == 0xA0 ? u' ' : c;
  }
  return out;
}

// ---- painting -------------------------------------------------------------------

TColor THtmlDocument::ResolveColor(TColor color, const THtmlViewOptions& options) const {
  if (color == kDefaultTextColor) return content_.TextColor.value_or(options.Text);
  if (color == kDefaultLinkColor) return content_.LinkColor.value_or(options.Link);
  return color;
}

void THtmlDocument::Paint(ICanvas& canvas, const TRect& clip, int scroll,
                          const THtmlPaintState& state) const {
  const THtmlViewOptions& options = *state.Options;
  canvas.FillRect(clip, content_.Background.value_or(options.Background));
  const TRect page = Shifted(clip, scroll);
  const auto [first, end] = layout_.ItemsBetween(page.Top, page.Bottom);
  for (std::size_t i = first; i < end; ++i) {
    const TDisplayItem& item = layout_.Items[i];
    if (!item.Rect.Intersects(page)) continue;
    const TRect rect = Shifted(item.Rect, -scroll);
    switch (item.Kind) {
      case TDisplayKind::Fill:
        canvas.FillRect(rect, ResolveColor(item.Color, options));
        break;
      case TDisplayKind::Frame:
        canvas.FrameRect(rect, ResolveColor(item.Color, options));
        break;
      case TDisplayKind::Image:
        PaintImage(canvas, item, rect);
        break;
      case TDisplayKind::Marker: {
        const TTextStyle& style = content_.Styles[static_cast<std::size_t>(item.Style)];
        canvas.DrawText(rect.Left, item.TextTop - scroll, style.Font, ResolveColor(style.Color, options),
                        std::u16string_view(layout_.MarkerText).substr(item.Start, item.End - item.Start));
        break;
      }
      case TDisplayKind::Text:
        PaintText(canvas, item, scroll, state);
        break;
      case TDisplayKind::AltText: {
        const TTextStyle& style = content_.Styles[static_cast<std::size_t>(item.Style)];
        const TColor color = item.Link >= 0 && item.Link == state.HotLink
                                 ? options.HotLink
                                 : ResolveColor(style.Color, options);
        canvas.DrawText(rect.Left, item.TextTop - scroll, style.Font, color,
                        std::u16string_view(layout_.AltText).substr(item.Start, item.End - item.Start));
        break;
      }
    }
  }
}

void THtmlDocument::PaintImage(ICanvas& canvas, const TDisplayItem& item, const TRect& rect) const {
  const TImage& image = content_.Images[static_cast<std::size_t>(item.Image)];
  if (image.Picture < 0) return;
  const TPicture& picture = content_.Pictures[static_cast<std::size_t>(image.Picture)];
  if (picture.State == TPictureState::Shown) {
    canvas.DrawImage(rect, picture.Bitmap, picture.Stamp);
  } else if (picture.State == TPictureState::Waiting) {
    canvas.FrameRect(rect, kPlaceholderColor);
  }
}

void THtmlDocument::PaintText(ICanvas& canvas, const TDisplayItem& item, int scroll,
                              const THtmlPaintState& state) const {
  const THtmlViewOptions& options = *state.Options;
  const TTextStyle& style = content_.Styles[static_cast<std::size_t>(item.Style)];
  const TColor color =
      item.Link >= 0 && item.Link == state.HotLink ? options.HotLink : ResolveColor(style.Color, options);
  const std::u16string_view text(content_.Text);
  const int top = item.TextTop - scroll;
  const std::size_t selStart = std::clamp<std::size_t>(state.SelectionStart, item.Start, item.End);
  const std::size_t selEnd = std::clamp<std::size_t>(state.SelectionEnd, item.Start, item.End);
  if (selStart >= selEnd) {
    canvas.DrawText(item.Rect.Left, top, style.Font, color, text.substr(item.Start, item.End - item.Start));
    return;
  }
  const int selLeft = item.Rect.Left + Width(item, item.Start, selStart);
  const int selRight = selEnd == item.End ? item.Rect.Right : selLeft + Width(item, selStart, selEnd);
  if (selStart > item.Start)
    canvas.DrawText(item.Rect.Left, top, style.Font, color, text.substr(item.Start, selStart - item.Start));
  canvas.FillRect({selLeft, item.Rect.Top - scroll, selRight, item.Rect.Bottom - scroll},
                  options.SelectionBack);
  canvas.DrawText(selLeft, top, style.Font, options.SelectionText, text.substr(selStart, selEnd - selStart));
  if (selEnd < item.End)
    canvas.DrawText(selRight, top, style.Font, color, text.substr(selEnd, item.End - selEnd));
}

}  // namespace kivo
