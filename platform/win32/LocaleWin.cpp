#include <windows.h>

#include <array>

#include "platform/Locale.h"

namespace kivo {

namespace {

SYSTEMTIME ToSystemTime(TDateTime value) {
  const TDateTimeFields fields = DecodeDateTimeFields(value);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(fields.Year);
  time.wMonth = static_cast<WORD>(fields.Month);
  time.wDay = static_cast<WORD>(fields.Day);
  time.wHour = static_cast<WORD>(fields.Hour);
  time.wMinute = static_cast<WORD>(fields.Minute);
  time.wSecond = static_cast<WORD>(fields.Second);
  return time;
}

// Formats through the user's locale; the fixed form when the system refuses
// (years before 1601, for one).
class TWinLocaleFormats final : public ILocaleFormats {
 public:
  std::string FormatShortDate(TDateTime value) const override {
    const SYSTEMTIME time = ToSystemTime(value);
    std::array<char, 128> buffer{};
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer.data(),
                       static_cast<int>(buffer.size())) > 0) {
      return buffer.data();
    }
    return fixed_.FormatShortDate(value);
  }

  std::string FormatLongTime(TDateTime value) const override {
    const SYSTEMTIME time = ToSystemTime(value);
    std::array<char, 128> buffer{};
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer.data(),
                       static_cast<int>(buffer.size())) > 0) {
      return buffer.data();
    }
    return fixed_.FormatLongTime(value);
  }

  char DecimalSeparator() const override {
    std::array<char, 8> buffer{};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer.data(), static_cast<int>(buffer.size())) >
        1) {
      return buffer[0];
    }
    return fixed_.DecimalSeparator();
  }

 private:
  TFixedLocaleFormats fixed_;
};

}  // namespace

ILocaleFormats& SystemLocale() {
  static TWinLocaleFormats locale;
  return locale;
}

}  // namespace kivo
