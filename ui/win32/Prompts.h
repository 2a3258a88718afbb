// Modal questions to the user in the plugin's 8-bit windows-1251 text: a
// one-line text prompt and the system's message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/FilePaths.h"

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

// The choice as a script finds it: a dialog of this class holding the prompt
// text, the list under this control ID, and the buttons IDOK and IDCANCEL.
inline constexpr wchar_t kChoiceClassName[] = L"TKivoChoice";
inline constexpr int kChoiceListId = 102;

// Asks for one of `items`, the first offered: its index when the user
// confirms (a double click confirms too), nullopt when they cancel.
std::optional<int> ChooseFromList(HWND owner, const std::string& caption, const std::string& prompt,
                                  const std::vector<std::string>& items);

// The system's dialog for a file to open (which must exist) or to save (a
// file that exists is replaced only when the user agrees), listing
// `filterName` files by `extension` first, then all files. A file saved
// without an extension gets `extension`. nullopt when cancelled.
std::optional<TFilePath> AskFileName(HWND owner, bool save, const std::string& filterName,
                                     const wchar_t* extension);

// MessageBoxW with windows-1251 text; the button the user chose (IDOK, IDYES...).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace kivo
