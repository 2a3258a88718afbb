#include "ui/win32/Clipboard.h"

#include <algorithm>

namespace kivo {

namespace {

constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 10;

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) result += u'\r';
    result += text[i];
  }
  return result;
}

TUniqueGlobal CopyToGlobal(const std::u16string& text) {
  TUniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t)));
  if (!memory) return memory;
  const TGlobalLock lock(memory.Get());
  if (lock.Data() == nullptr) return TUniqueGlobal();
  std::copy_n(text.c_str(), text.size() + 1, static_cast<char16_t*>(lock.Data()));
  return memory;
}

}  // namespace

TClipboard::TClipboard(HWND owner) {
  for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
    if (attempt > 0) Sleep(kOpenRetryMs);
    open_ = OpenClipboard(owner) != FALSE;
  }
}

TClipboard::~TClipboard() {
  if (open_) CloseClipboard();
}

bool PutClipboardText(HWND owner, std::u16string_view text) {
  TUniqueGlobal memory = CopyToGlobal(WithCrLf(text));
  const TClipboard clipboard(owner);
  if (!memory || !clipboard.IsOpen() || !EmptyClipboard()) return false;
  if (SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
  memory.Release();  // the clipboard owns it now
  return true;
}

std::optional<std::u16string> ClipboardText(HWND owner) {
  const TClipboard clipboard(owner);
  if (!clipboard.IsOpen()) return std::nullopt;
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const TGlobalLock lock(data);
  if (lock.Data() == nullptr) return std::nullopt;
  const auto* text = static_cast<const char16_t*>(lock.Data());
  // The block may lack its terminating zero; it never reaches past its size.
  const std::size_t units = lock.Size() / sizeof(char16_t);
  return std::u16string(text, std::find(text, text + units, u'\0'));
}

}  // namespace kivo
