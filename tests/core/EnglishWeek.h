// The English week most scheduler tests run in, and a saved entry in short.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Texts.h"

namespace cuelark::test {

inline const std::array<std::wstring, 7> kEnglish = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                                     L"FRIDAY", L"SATURDAY", L"SUNDAY"};
inline const WeekLocale kMondayFirst = MakeWeekLocale(kEnglish, 1);
inline const WeekLocale kSundayFirst = MakeWeekLocale(kEnglish, 7);

// Named "Entry <id>".
inline SavedCommand Entry(EntryId id, std::wstring day, std::wstring time, bool checked = true) {
  return {id, L"Entry " + std::to_wstring(id), L"", std::move(day), std::move(time), checked, false};
}

}  // namespace cuelark::test
