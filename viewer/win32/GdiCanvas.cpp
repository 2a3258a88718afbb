#include "viewer/win32/GdiCanvas.h"

#include <algorithm>
#include <climits>

#include "ui/win32/Gdi.h"

namespace kivo {

namespace {

// A page that keeps asking for new sizes and faces must not hoard GDI objects.
constexpr std::size_t kMaxCachedFonts = 128;
constexpr std::size_t kMaxCachedWidths = 16384;  // per font
constexpr std::size_t kMaxCachedWidthLength = 64;

LOGFONTW MakeLogFont(const TFontSpec& font) {
  LOGFONTW logFont{};
  logFont.lfHeight = -std::max(1, font.SizePx);
  logFont.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = font.Italic;
  logFont.lfUnderline = font.Underline;
  logFont.lfStrikeOut = font.Strike;
  logFont.lfCharSet = static_cast<BYTE>(font.Charset);
  logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = DEFAULT_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t length = std::min<std::size_t>(font.Face.size(), LF_FACESIZE - 1);
  std::copy_n(font.Face.data(), length, logFont.lfFaceName);
  return logFont;
}

const wchar_t* Wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

int ClampedLength(std::u16string_view text) {
  return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

}  // namespace

COLORREF ToColorRef(TColor color) {
  return RGB(color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF);
}

TGdiFonts::TGdiFonts() : dc_(CreateCompatibleDC(nullptr)) {}

HFONT TGdiFonts::Font(const TFontSpec& font) {
  return EntryFor(font).Font.Get();
}

TGdiFonts::TEntry& TGdiFonts::EntryFor(const TFontSpec& font) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&font](const TEntry& entry) { return entry.Spec == font; });
  if (found != entries_.end()) return *found;
  if (entries_.size() >= kMaxCachedFonts) entries_.clear();
  const LOGFONTW logFont = MakeLogFont(font);
  TEntry& entry = entries_.emplace_back();
  entry.Spec = font;
  entry.Font.Reset(CreateFontIndirectW(&logFont));
  TSelectedObject selected(dc_.Get(), entry.Font.Get());
  GetTextMetricsW(dc_.Get(), &entry.Metrics);
  return entry;
}

int TGdiFonts::TextWidth(const TFontSpec& font, std::u16string_view text) {
  if (text.empty()) return 0;
  TEntry& entry = EntryFor(font);
  std::u16string key(text);
  if (const auto found = entry.Widths.find(key); found != entry.Widths.end()) return found->second;
  TSelectedObject selected(dc_.Get(), entry.Font.Get());
  SIZE size{};
  GetTextExtentPoint32W(dc_.Get(), Wide(text), ClampedLength(text), &size);
  // Long texts are seldom measured twice; the cache keeps words and short runs.
  if (key.size() <= kMaxCachedWidthLength) {
    if (entry.Widths.size() >= kMaxCachedWidths) entry.Widths.clear();
    entry.Widths.emplace(std::move(key), static_cast<int>(size.cx));
  }
  return size.cx;
}

int TGdiFonts::LineHeight(const TFontSpec& font) {
  return EntryFor(font).Metrics.tmHeight;
}

int TGdiFonts::Ascent(const TFontSpec& font) {
  return EntryFor(font).Metrics.tmAscent;
}

const TDrawnPictures::TDrawn* TDrawnPictures::For(const TBitmap32& picture, std::uint64_t stamp, int width,
                                                  int height) {
  const int w = std::clamp(width, 1, std::max(1, picture.Width));
  const int h = std::clamp(height, 1, std::max(1, picture.Height));
  const auto key = std::make_tuple(stamp, w, h);
  if (const auto found = drawn_.find(key); found != drawn_.end()) return &found->second;
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
  if (bytes_ + bytes > kMaxBytes || drawn_.size() >= kMaxCount) Clear();
  // Already premultiplied: the section takes the pixels as they are.
  TUniqueBitmap bitmap = MakeDibSection(PremultipliedShrunk(picture, w, h), TAlphaForm::Straight);
  if (!bitmap) return nullptr;
  ++made_;
  bytes_ += bytes;
  return &(drawn_[key] = TDrawn{std::move(bitmap), w, h});
}

void TDrawnPictures::Clear() {
  drawn_.clear();
  bytes_ = 0;
}

TGdiCanvas::TGdiCanvas(HDC dc, TGdiFonts& fonts, TDrawnPictures* pictures)
    : dc_(dc), fonts_(fonts), pictures_(pictures), savedState_(SaveDC(dc)) {
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

TGdiCanvas::~TGdiCanvas() {
  RestoreDC(dc_, savedState_);
}

void TGdiCanvas::FillRect(const TRect& rect, TColor color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  SetBkColor(dc_, ToColorRef(color));
  const RECT area{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void TGdiCanvas::FrameRect(const TRect& rect, TColor color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  FillRect(TRect{rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
  FillRect(TRect{rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
  FillRect(TRect{rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, color);
  FillRect(TRect{rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, color);
}

void TGdiCanvas::DrawText(int x, int y, const TFontSpec& font, TColor color, std::u16string_view text) {
  if (text.empty()) return;
  TSelectedObject selected(dc_, fonts_.Font(font));
  SetTextColor(dc_, ToColorRef(color));
  ExtTextOutW(dc_, x, y, 0, nullptr, Wide(text), static_cast<UINT>(ClampedLength(text)), nullptr);
}

void TGdiCanvas::DrawImage(const TRect& rect, const TBitmap32& image, std::uint64_t stamp) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  if (pictures_ == nullptr || stamp == 0) {
    DrawPicture(dc_, rect.Left, rect.Top, image, rect.Width(), rect.Height());
    return;
  }
  const TDrawnPictures::TDrawn* drawn = pictures_->For(image, stamp, rect.Width(), rect.Height());
  const TUniqueMemoryDc source(CreateCompatibleDC(dc_));
  if (drawn == nullptr || !source) return;
  BlendBitmap(dc_, RECT{rect.Left, rect.Top, rect.Right, rect.Bottom}, source.Get(), drawn->Bitmap.Get(),
              SIZE{drawn->Width, drawn->Height});
}

}  // namespace kivo
