// Date, time and number formats of the user's locale, as the pages show them.
#pragma once

#include <string>

#include "base/DateTime.h"

namespace kivo {

class ILocaleFormats {
 public:
  virtual ~ILocaleFormats() = default;
  virtual std::string FormatShortDate(TDateTime value) const = 0;  // the date part only
  virtual std::string FormatLongTime(TDateTime value) const = 0;   // the time of day only
  virtual char DecimalSeparator() const = 0;
};

// "dd.mm.yyyy", "hh:nn:ss" and '.': the formats wherever there is no system
// locale to ask, and the fallback when asking fails.
class TFixedLocaleFormats final : public ILocaleFormats {
 public:
  std::string FormatShortDate(TDateTime value) const override;
  std::string FormatLongTime(TDateTime value) const override;
  char DecimalSeparator() const override { return '.'; }
};

// The user's locale; defined by each platform.
ILocaleFormats& SystemLocale();

}  // namespace kivo
