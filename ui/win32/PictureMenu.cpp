#include "ui/win32/PictureMenu.h"

#include "ui/win32/Gdi.h"

namespace kivo {

TPictureMenu::TPictureMenu() : menu_(CreatePopupMenu()) {}

void TPictureMenu::Add(int command, const std::string& caption, const TBitmap32* picture) {
  if (!menu_) return;
  const std::wstring text = gdi::Wide(caption);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING;
  info.wID = static_cast<UINT>(command);
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  if (picture != nullptr && picture->Width > 0) {
    bitmaps_.push_back(MakeDibSection(*picture));
    info.fMask |= MIIM_BITMAP;
    info.hbmpItem = bitmaps_.back().Get();
  }
  InsertMenuItemW(menu_.Get(), GetMenuItemCount(menu_.Get()), TRUE, &info);
}

void TPictureMenu::AddSeparator() {
  if (menu_) AppendMenuW(menu_.Get(), MF_SEPARATOR, 0, nullptr);
}

void TPictureMenu::AddOwnerDrawn(int command, const void* data) {
  if (menu_)
    AppendMenuW(menu_.Get(), MF_OWNERDRAW, static_cast<UINT_PTR>(command), static_cast<LPCWSTR>(data));
}

TUniqueFont MenuFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return TUniqueFont();
  return TUniqueFont(CreateFontIndirectW(&metrics.lfMenuFont));
}

}  // namespace kivo
