// TFormXstatus: the user's extended status (number, title, text) filled from
// what the reader shows. The dialog's logic behind a view; the status goes to
// the host as UTF-16 from end to end, so no letter becomes "?".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/PluginWindow.h"

namespace kivo {

inline constexpr wchar_t kXStatusWindowClass[] = L"TFormXstatus";

enum class TXStatusControl { Edit1 = 1201, Memo1, BitBtn1, ComboBox1 };
// By name ("Memo1"), for the host emulator's scripts.
inline std::optional<int> XStatusControlIdByName(std::string_view name) {
  constexpr std::string_view kNames[] = {"Edit1", "Memo1", "BitBtn1", "ComboBox1"};
  for (int i = 0; i < 4; ++i) {
    if (kNames[i] == name) return static_cast<int>(TXStatusControl::Edit1) + i;
  }
  return std::nullopt;
}

inline constexpr int kXStatusNumbers = 35;  // "0" to "34"
inline constexpr std::size_t kXStatusTitleMax = 20;
inline constexpr std::size_t kXStatusTextMax = 500;

struct txstatusstring {
  std::int32_t Index = 0;
  std::u16string Title;
  std::u16string Text;
};

class TXStatusController;

class IXStatusView : public IPluginWindow {
 public:
  // The controller the dialog's events go to; null detaches it.
  virtual void SetController(TXStatusController* controller) = 0;
  virtual void SetNumbers(const std::vector<std::u16string>& entries) = 0;  // the whole list
  virtual void SelectNumber(int index) = 0;
  // The entry chosen, or the one the typed text names; -1 when it names none.
  virtual int SelectedNumber() const = 0;
  virtual void MarkNumberInvalid() = 0;
  virtual void SetTitle(const std::u16string& title) = 0;
  virtual std::u16string Title() const = 0;
  virtual void SetText(const std::u16string& text) = 0;
  virtual std::vector<std::u16string> TextLines() const = 0;
  virtual void BringToFront() = 0;
};

// What the dialog asks of the plugin: the host's status, and the reader's text.
class IXStatusHost {
 public:
  virtual ~IXStatusHost() = default;
  virtual txstatusstring GetXStatus() = 0;
  virtual void SetXStatus(const txstatusstring& status) = 0;
  virtual std::u16string ReaderStatusText() = 0;
};

// At most `limit` UTF-16 units, never half a surrogate pair.
std::u16string CutText(std::u16string text, std::size_t limit);

class TXStatusController {
 public:
  TXStatusController(IXStatusView& view, IXStatusHost& host) : view_(view), host_(host) {}

  // Xstatus1Click: shown (after FormShow) when hidden, else brought to the front.
  void Open();
  void FormShow();
  void BitBtn1Click();
  void FormKeyPress(char16_t key);

 private:
  IXStatusView& view_;
  IXStatusHost& host_;
};

}  // namespace kivo
