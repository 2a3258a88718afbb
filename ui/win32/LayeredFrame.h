// A layered window fed by UpdateLayeredWindow paints nothing on WM_PAINT, and
// screen captures of it are not dependable (Wine's least of all). Such a
// window answers this registered message with the last frame it handed to the
// system, so the host emulator can take its picture. In-process only: lParam
// points at the asker's TLayeredFrameRequest.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Bitmap.h"

namespace kivo {

inline constexpr wchar_t kLayeredFrameMessage[] = L"KivoRss.LayeredFrame";

struct TLayeredFrameRequest {
  int Width = 0;                    // set by the window
  int Height = 0;                   // set by the window
  std::uint32_t* Pixels = nullptr;  // premultiplied BGRA, top-down; null asks for the size only
  std::size_t Capacity = 0;         // pixels that fit
};

// The window's side: fills `request` from `frame`; 1 when the pixels were
// copied, 0 when only the size was told (no buffer, or too small).
inline std::intptr_t AnswerFrameRequest(const TBitmap32& frame, TLayeredFrameRequest& request) {
  request.Width = frame.Width;
  request.Height = frame.Height;
  if (request.Pixels == nullptr || request.Capacity < frame.Pixels.size() || frame.Pixels.empty()) return 0;
  for (std::size_t i = 0; i < frame.Pixels.size(); ++i) request.Pixels[i] = frame.Pixels[i];
  return 1;
}

}  // namespace kivo
