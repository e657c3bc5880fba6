// The week as the user's regional format names and counts it, with labels
// that store files can hold.
#pragma once

#include <windows.h>

#include "scheduler/core/WeekdayLabels.h"

namespace cuelark {

// The week of a named locale (LOCALE_NAME_USER_DEFAULT: the user's own),
// each day's name checked against the ANSI code page that store files are
// written in.
WeekLocale WeekLocaleOf(const wchar_t* locale);
WeekLocale SystemWeekLocale();

}  // namespace cuelark
