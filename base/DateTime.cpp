#include "base/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kivo {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr TDateTime kMinDateTime = -693593.0;                      // 0001-01-01
constexpr TDateTime kMaxDateTime = 2958465.0 + 86399.0 / 86400.0;  // 9999-12-31 23:59:59

struct TCivilDate {
  std::int64_t year;
  int month;
  int day;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

TCivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

const std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads 1 to `maxDigits` decimal digits at `pos`.
std::optional<int> ReadNumber(std::string_view text, size_t& pos, size_t maxDigits) {
  size_t digits = 0;
  int value = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

bool Expect(std::string_view text, size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

struct TClock {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

std::optional<TClock> ReadClock(std::string_view text, size_t& pos) {
  TClock clock;
  const auto hour = ReadNumber(text, pos, 2);
  if (!hour || !Expect(text, pos, ':')) return std::nullopt;
  const auto minute = ReadNumber(text, pos, 2);
  if (!minute) return std::nullopt;
  clock.hour = *hour;
  clock.minute = *minute;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    const auto second = ReadNumber(text, pos, 2);
    if (!second) return std::nullopt;
    clock.second = *second;
  }
  if (clock.hour > 23 || clock.minute > 59 || clock.second > 59) return std::nullopt;
  return clock;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  const auto days = static_cast<double>(DaysFromCivil(year, month, day) - kEpochDays);
  const double time = (hour * 3600.0 + minute * 60.0 + second) / static_cast<double>(kSecondsPerDay);
  // Before the epoch the time of day still counts forward from midnight.
  return days >= 0 ? days + time : days - time;
}

std::string DateTimeToText(TDateTime value) {
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, kMinDateTime, kMaxDateTime);
  auto days = static_cast<std::int64_t>(value);  // toward zero, as the convention counts days
  std::int64_t seconds = std::llround(std::fabs(value - static_cast<double>(days)) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++days;
  }
  const TCivilDate date = CivilFromDays(days + kEpochDays);
  const auto year = std::clamp<std::int64_t>(date.year, 1, 9999);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d:%02d", date.day, date.month,
                static_cast<int>(year), static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buffer;
}

std::optional<TDateTime> TextToDateTime(std::string_view text) {
  text = TrimBlanks(text);
  size_t pos = 0;
  const auto day = ReadNumber(text, pos, 2);
  if (!day || !Expect(text, pos, '.')) return std::nullopt;
  const auto month = ReadNumber(text, pos, 2);
  if (!month || !Expect(text, pos, '.')) return std::nullopt;
  const auto year = ReadNumber(text, pos, 4);
  if (!year || *year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) {
    return std::nullopt;
  }
  TClock clock;
  if (pos < text.size()) {
    if (text[pos] != ' ') return std::nullopt;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const auto read = ReadClock(text, pos);
    if (!read || pos != text.size()) return std::nullopt;
    clock = *read;
  }
  return EncodeDateTime(*year, *month, *day, clock.hour, clock.minute, clock.second);
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
