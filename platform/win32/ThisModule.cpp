#include "platform/win32/ThisModule.h"

namespace kivo {

namespace {
const char kAddressInThisModule = 0;
constexpr DWORD kModulePathBuffer = 261;
}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&kAddressInThisModule), &module);
  return module;
}

std::u16string ModuleFileName(HMODULE module) {
  wchar_t buffer[kModulePathBuffer] = {};
  const DWORD length = GetModuleFileNameW(module, buffer, kModulePathBuffer);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length < kModulePathBuffer ? length : 0);
}

}  // namespace kivo
