// Date-times as the plugin stores and compares them: a double counting days
// since 1899-12-30 00:00 local time, the fraction being the time of day (one
// minute is 1/1440). Before that epoch the fraction still counts forward from
// midnight of the day named by the integer part.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kivo {

using TDateTime = double;

// No range check beyond what the calendar needs; callers pass valid fields.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);

// "dd.mm.yyyy hh:nn:ss", to the nearest second. Values outside the years
// 1 to 9999 are clamped to them.
std::string DateTimeToText(TDateTime value);

// Reads what DateTimeToText writes; one- or two-digit day, month and time
// fields and a missing seconds or time part are accepted. nullopt for anything
// else, including impossible dates such as 31.02.2024.
std::optional<TDateTime> TextToDateTime(std::string_view text);

// A date-time split into its calendar fields, to the nearest second (the
// years clamped to 1..9999, as DateTimeToText does).
struct TDateTimeFields {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};
TDateTimeFields DecodeDateTimeFields(TDateTime value);

}  // namespace kivo
