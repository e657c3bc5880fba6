// The weeks scheduler tests run in, mostly English, and a saved entry in
// short.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/WeekdayLabels.h"

namespace cuelark::test {

inline const std::array<std::wstring, 7> kEnglish = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                                     L"FRIDAY", L"SATURDAY", L"SUNDAY"};
inline const WeekLocale kMondayFirst = MakeWeekLocale(kEnglish, 1);
inline const WeekLocale kSundayFirst = MakeWeekLocale(kEnglish, 7);

inline const std::array<std::wstring, 7> kGerman = {L"MONTAG", L"DIENSTAG", L"MITTWOCH", L"DONNERSTAG",
                                                    L"FREITAG", L"SAMSTAG", L"SONNTAG"};
inline constexpr std::array<bool, 7> kAllHeld = {true, true, true, true, true, true, true};

// Names as the system gives them, each with whether the code page holds it.
inline std::array<LocalDayName, 7> Storable(const std::array<std::wstring, 7>& names, std::array<bool, 7> storable) {
  std::array<LocalDayName, 7> days;
  for (std::size_t k = 0; k < 7; ++k) days[k] = {names[k], storable[k]};
  return days;
}

// Named "Entry <id>", its rule read as the store reads it.
inline SavedCommand Entry(EntryId id, std::wstring day, std::wstring time, bool checked = true,
                          const WeekLocale& locale = kMondayFirst) {
  ScheduleRule rule = ScheduleRule::Read(day, time, locale);
  return {id, L"Entry " + std::to_wstring(id), L"", std::move(day), std::move(time), checked, false, rule};
}

}  // namespace cuelark::test
