// Modal questions to the user in the plugin's 8-bit windows-1251 text: a
// one-line text prompt and the system's message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kivo {

// The prompt as a script finds it: a dialog of this class holding the prompt
// text and the edit under these control IDs, and the buttons IDOK and IDCANCEL.
inline constexpr wchar_t kPromptClassName[] = L"TKivoPrompt";
inline constexpr int kPromptTextId = 100;
inline constexpr int kPromptEditId = 101;

// Asks for one line of text, `value` offered first: the text when the user
// confirms, nullopt when they cancel.
std::optional<std::string> InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                                      const std::string& value);

// MessageBoxW with windows-1251 text; the button the user chose (IDOK, IDYES...).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace kivo
