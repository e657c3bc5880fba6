// Calendar arithmetic and the fixed text forms that entries, the clock and
// the store compare character by character. Everything works on the local
// wall clock: the shell hands in what the system clock shows, so a day here
// is always 86400 seconds and time zones never enter.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cuelark {

struct CivilDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
  friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

struct TimeOfDay {
  int hour;  // 0..23
  int minute;
  int second;
  friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;
};

struct LocalDateTime {
  CivilDate date;
  TimeOfDay time;
  friend auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;
};

inline constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds since midnight: 0 .. 86399.
inline int SecondOfDay(TimeOfDay time) { return time.hour * 3600 + time.minute * 60 + time.second; }

// Monday 1 .. Sunday 7.
int IsoWeekday(CivilDate date);

// Seconds since 1970-01-01 00:00:00 on the proleptic Gregorian calendar, so
// that "the next second" and "how far apart" are plain integer arithmetic.
std::int64_t SerialSecond(const LocalDateTime& moment);
LocalDateTime FromSerialSecond(std::int64_t serial);

// The fixed forms below read back. Only a text that FormatDate or FormatTime
// writes gives a value: "2026-2-9", "2026-02-30" and "24:00:00" do not.
std::optional<CivilDate> ParseDate(std::wstring_view text);
std::optional<TimeOfDay> ParseTime(std::wstring_view text);

// "2026-12-06": four-digit year, two-digit month and day.
std::wstring FormatDate(CivilDate date);
// "00:00:00": two digits each, 24-hour clock.
std::wstring FormatTime(TimeOfDay time);

}  // namespace cuelark
