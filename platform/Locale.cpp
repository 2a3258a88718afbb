#include "platform/Locale.h"

namespace kivo {

namespace {

// DateTimeToText always writes "dd.mm.yyyy hh:nn:ss".
constexpr size_t kDateLength = 10;
constexpr size_t kTimeStart = 11;

}  // namespace

std::string TFixedLocaleFormats::FormatShortDate(TDateTime value) const {
  return DateTimeToText(value).substr(0, kDateLength);
}

std::string TFixedLocaleFormats::FormatLongTime(TDateTime value) const {
  return DateTimeToText(value).substr(kTimeStart);
}

}  // namespace kivo
