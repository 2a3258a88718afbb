#include "plugin/XStatus.h"

namespace kivo {

std::u16string CutText(std::u16string text, std::size_t limit) {
  if (text.size() <= limit) return text;
  text.resize(limit);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  return text;
}

void TXStatusController::Open() {
  if (view_.Visible()) return view_.BringToFront();
  FormShow();
  view_.SetVisible(true);
}

void TXStatusController::FormShow() {
  std::vector<std::u16string> numbers;
  for (int i = 0; i < kXStatusNumbers; ++i) {
    const std::string digits = std::to_string(i);
    numbers.emplace_back(digits.begin(), digits.end());
  }
  view_.SetNumbers(numbers);
  const txstatusstring current = host_.GetXStatus();
  view_.SetTitle(CutText(current.Title, kXStatusTitleMax));
  view_.SetText(CutText(host_.ReaderStatusText(), kXStatusTextMax));
  view_.SelectNumber(current.Index);
}

// A number typed that names no entry (-1) is refused like 0, and said so:
// the host would take it as a status of its own.
void TXStatusController::BitBtn1Click() {
  const int number = view_.SelectedNumber();
  if (number < 0) view_.MarkNumberInvalid();
  if (number <= 0) return;
  txstatusstring status{number, view_.Title(), {}};
  for (const std::u16string& line : view_.TextLines()) status.Text += line + u"\r\n";
  host_.SetXStatus(status);
  view_.SetVisible(false);
}

void TXStatusController::FormKeyPress(char16_t key) {
  if (key == 27) view_.SetVisible(false);
}

}  // namespace kivo
