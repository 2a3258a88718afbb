#include "tools/host/Screenshot.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/FileIo.h"
#include "tools/host/Text.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/LayeredFrame.h"

namespace kivo::host {
namespace {

constexpr WORD kBitsPerPixel = 24;

BITMAPINFOHEADER BottomUpHeader(SIZE size) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = size.cx;
  header.biHeight = size.cy;
  header.biPlanes = 1;
  header.biBitCount = kBitsPerPixel;
  header.biCompression = BI_RGB;
  return header;
}

std::size_t RowBytes(SIZE size) {
  return (static_cast<std::size_t>(size.cx) * 3 + 3) & ~std::size_t{3};
}

template <typename T>
void AppendRaw(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string BmpFile(const BITMAPINFOHEADER& header, std::string_view pixels) {
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::string out;
  AppendRaw(out, file);
  AppendRaw(out, header);
  out.append(pixels);
  return out;
}

// The window as the screen shows it, frame included. PrintWindow would be
// independent of overlapping windows, but Wine's leaves children and custom
// painting out.
std::string CaptureWindow(HWND window, SIZE size, BITMAPINFOHEADER header) {
  TWindowDc source(window);
  TUniqueMemoryDc memory(CreateCompatibleDC(source.Get()));
  void* bits = nullptr;
  BITMAPINFO info{};
  info.bmiHeader = header;
  TUniqueBitmap bitmap(CreateDIBSection(source.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return {};
  {
    TSelectedObject selection(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  return std::string(static_cast<const char*>(bits), RowBytes(size) * static_cast<std::size_t>(size.cy));
}

// A layered window's own last frame, blended over a desktop colour; empty when
// the window does not answer (not one of ours, or no frame yet).
std::string LayeredFrame(HWND window, SIZE& size) {
  static const UINT message = RegisterWindowMessageW(kLayeredFrameMessage);
  TLayeredFrameRequest request;
  SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(&request));
  if (request.Width <= 0 || request.Height <= 0) return {};
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(request.Width) * request.Height);
  request.Pixels = frame.data();
  request.Capacity = frame.size();
  if (SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(&request)) != 1) return {};
  size = SIZE{request.Width, request.Height};
  constexpr std::uint32_t kDesktop[3] = {0xA5, 0x6E, 0x3A};  // blue, green, red
  std::string rows(RowBytes(size) * static_cast<std::size_t>(size.cy), '\0');
  for (int y = 0; y < size.cy; ++y) {
    char* row = rows.data() + RowBytes(size) * static_cast<std::size_t>(size.cy - 1 - y);  // bottom-up
    for (int x = 0; x < size.cx; ++x) {
      const std::uint32_t pixel = frame[static_cast<std::size_t>(y) * size.cx + x];
      const std::uint32_t alpha = pixel >> 24;
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t source = pixel >> (8 * c) & 0xFF;  // premultiplied already
        row[x * 3 + c] =
            static_cast<char>(std::min<std::uint32_t>(255, source + kDesktop[c] * (255 - alpha) / 255));
      }
    }
  }
  return rows;
}

}  // namespace

bool SaveWindowBitmap(HWND window, const std::wstring& file, std::string& error) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  RECT bounds{};
  GetWindowRect(window, &bounds);
  const SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
  if (size.cx <= 0 || size.cy <= 0) {
    error = "the window has no area";
    return false;
  }
  SIZE frameSize{};
  if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0) {
    if (std::string frame = LayeredFrame(window, frameSize); !frame.empty()) {
      if (WriteFileAtomic(std::filesystem::path(file), BmpFile(BottomUpHeader(frameSize), frame)))
        return true;
      error = "cannot write " + ToUtf8(file);
      return false;
    }
  }
  const BITMAPINFOHEADER header = BottomUpHeader(size);
  const std::string pixels = CaptureWindow(window, size, header);
  if (pixels.empty()) {
    error = "cannot create a bitmap of the window";
    return false;
  }
  if (WriteFileAtomic(std::filesystem::path(file), BmpFile(header, pixels))) return true;
  error = "cannot write " + ToUtf8(file);
  return false;
}

}  // namespace kivo::host
