// Loads KivoRss.dll the way the messenger does and looks up its entry by
// name; then reads its version resource as the file's "Details" tab does.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Version.h"

namespace {

std::wstring StringValue(const std::vector<char>& block, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
      value == nullptr)
    return L"(missing)";
  return std::wstring(value, length > 0 ? length - 1 : 0);
}

bool VersionResourceHolds(const char* dllPath) {
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, dllPath, -1, wide, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide, &ignored);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoW(wide, 0, size, block.data())) {
    std::fprintf(stderr, "no version resource: %lu\n", GetLastError());
    return false;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr)
    return false;
  const std::wstring text = L"" KIVO_VERSION_TEXT;
  bool ok = fixed->dwFileVersionMS == MAKELONG(KIVO_VERSION_MINOR, KIVO_VERSION_MAJOR) &&
            fixed->dwFileVersionLS == MAKELONG(0, KIVO_BUILD_NUMBER) &&
            fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
            fixed->dwProductVersionLS == fixed->dwFileVersionLS;
  for (const auto& [name, expected] : {std::pair<const wchar_t*, std::wstring>{L"FileVersion", text},
                                       {L"ProductVersion", text},
                                       {L"ProductName", L"KivoRss"},
                                       {L"FileDescription", L"RSS reader plugin for Kivo Nimbra"}}) {
    const std::wstring value = StringValue(block, name);
    if (value != expected) {
      std::fprintf(stderr, "%ls is \"%ls\", not \"%ls\"\n", name, value.c_str(), expected.c_str());
      ok = false;
    }
  }
  if (StringValue(block, L"LegalCopyright").find(L"KivoRss authors") == std::wstring::npos) ok = false;
  std::printf("version %ls%s\n", text.c_str(), ok ? "" : ": the resource differs");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dll_load_test PATH\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "LoadLibrary(%s) failed: %lu\n", argv[1], GetLastError());
    return 1;
  }
  FARPROC entry = GetProcAddress(module, "CreateNimbraPLUGIN");
  FreeLibrary(module);
  if (entry == nullptr) {
    std::fprintf(stderr, "CreateNimbraPLUGIN not found\n");
    return 1;
  }
  std::printf("CreateNimbraPLUGIN found\n");
  return VersionResourceHolds(argv[1]) ? 0 : 1;
}
