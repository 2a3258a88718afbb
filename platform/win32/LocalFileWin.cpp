#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <string_view>
#include <utility>

#include "platform/LocalFile.h"
#include "platform/win32/SystemHandle.h"

namespace kivo {

namespace {

// The system gives these names a device in every folder, whatever follows
// the first dot and whatever blanks or dots end the name: "C:\pics\COM1.png"
// is the serial port. The digits may also be superscripts.
bool IsReservedDeviceName(std::wstring_view name) {
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  std::wstring upper(name);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN",    L"AUX",
                                                              L"NUL", L"CONIN$", L"CONOUT$"};
  if (std::find(kPlain.begin(), kPlain.end(), upper) != kPlain.end()) return true;
  if (upper.size() != 4 || (upper.compare(0, 3, L"COM") != 0 && upper.compare(0, 3, L"LPT") != 0))
    return false;
  const wchar_t digit = upper[3];
  return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// "X:\" and folders below it; no component a device name, no stream (':').
bool IsPlainDrivePath(std::wstring_view path) {
  const wchar_t drive = path.empty() ? L'\0' : static_cast<wchar_t>(std::towupper(path[0]));
  if (path.size() < 4 || path[1] != L':' || path[2] != L'\\' || drive < L'A' || drive > L'Z') return false;
  std::wstring_view rest = path.substr(3);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(L'\\'), rest.size());
    const std::wstring_view component = rest.substr(0, end);
    if (component.find(L':') != std::wstring_view::npos || IsReservedDeviceName(component)) return false;
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return true;
}

bool OnFixedDrive(std::wstring_view path) {
  const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_FIXED;
}

}  // namespace

// The name is judged first, so that no device is ever opened; the handle is
// judged again, since a link on the way could still lead elsewhere.
std::optional<std::string> ReadLocalFileBytes(const TFilePath& path, std::size_t maxBytes) {
  const std::wstring& wide = path.native();
  if (wide.find(L'/') != std::wstring::npos || !IsPlainDrivePath(wide) || !OnFixedDrive(wide))
    return std::nullopt;
  const TFileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  LARGE_INTEGER size{};
  if (!GetFileInformationByHandle(file.Get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !GetFileSizeEx(file.Get(), &size) ||
      size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk, got);
    if (bytes.size() > maxBytes) return std::nullopt;  // it grew while being read
  }
}

}  // namespace kivo
