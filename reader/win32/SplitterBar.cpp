#include "reader/win32/SplitterBar.h"

#include <windowsx.h>

#include <utility>

#include "ui/win32/Gdi.h"

namespace kivo {

TSplitterBar::TSplitterBar(HWND parent, int controlId, TEvents events)
    : class_(L"TKivoSplitterBar", &TWindowBase::WindowProc), events_(std::move(events)) {
  Create(0, class_.Name(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 100, kHeight, parent,
         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

LRESULT TSplitterBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZENS)));
      return TRUE;
    case WM_LBUTTONDOWN:
      SetCapture(Handle());
      if (events_.Down) events_.Down(GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE: {
      POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(Handle(), &screen);
      if (events_.Move) events_.Move((wParam & MK_LBUTTON) != 0, screen);
      return 0;
    }
    case WM_LBUTTONUP: {
      const bool captured = GetCapture() == Handle();
      ReleaseCapture();
      RECT client{};
      GetClientRect(Handle(), &client);
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (captured && events_.Up) events_.Up(PtInRect(&client, point) != FALSE);
      return 0;
    }
    default:
      return TWindowBase::HandleMessage(message, wParam, lParam);
  }
}

void TSplitterBar::Paint() {
  const TPaintDc paint(Handle());
  const HDC dc = paint.Get();
  RECT client{};
  GetClientRect(Handle(), &client);
  gdi::Fill(dc, client, GetSysColor(COLOR_BTNFACE));
  if (const TBitmap32* picture = events_.Picture ? events_.Picture() : nullptr) {
    DrawPicture(dc, 0, 0, *picture, client.right, client.bottom);
  }
}

}  // namespace kivo
