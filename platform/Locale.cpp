#include "platform/Locale.h"

#include <cstdio>

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

TDateTimeFields DecodeDateTimeFields(TDateTime value) {
  // One calendar for the whole plugin: the fields are read back from the
  // fixed text form rather than computed a second time.
  TDateTimeFields fields;
  const std::string text = DateTimeToText(value);
  std::sscanf(text.c_str(), "%d.%d.%d %d:%d:%d", &fields.Day, &fields.Month, &fields.Year, &fields.Hour,
              &fields.Minute, &fields.Second);
  return fields;
}

}  // namespace kivo
