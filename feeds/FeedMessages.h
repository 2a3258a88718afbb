// Window messages the workers post to the reader window, all with wParam 0.
#pragma once

namespace kivo {

constexpr unsigned kWmUser = 0x0400;
constexpr unsigned WM_FEED_LOADED = kWmUser + 10;       // lParam: feed index
constexpr unsigned WM_FEED_CHANGED = kWmUser + 15;      // lParam: feed index
constexpr unsigned WM_FEED_PROGRESS = kWmUser + 18;     // lParam: feed index
constexpr unsigned WM_ITEM_CACHES_READ = kWmUser + 20;  // lParam: 0
constexpr unsigned WM_IMAGE_LOADED = kWmUser + 127;     // lParam: 0

}  // namespace kivo
