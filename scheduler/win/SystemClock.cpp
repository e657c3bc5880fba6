#include "scheduler/win/SystemClock.h"

#include <windows.h>

namespace cuelark {

StartedAt CurrentTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {{{now.wYear, now.wMonth, now.wDay}, {now.wHour, now.wMinute, now.wSecond}}, now.wMilliseconds};
}

std::pair<LocalDateTime, int> LocalTimeAndOffset() {
  FILETIME utcFile{};
  GetSystemTimeAsFileTime(&utcFile);
  SYSTEMTIME utc{}, local{};
  FILETIME localFile{};
  if (!FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
      !SystemTimeToFileTime(&local, &localFile)) {
    GetLocalTime(&local);
    return {{{local.wYear, local.wMonth, local.wDay}, {local.wHour, local.wMinute, local.wSecond}}, 0};
  }
  const auto ticks = [](const FILETIME& t) {
    return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  constexpr long long kTicksPerMinute = 60LL * 10'000'000;
  const long long offset = (ticks(localFile) - ticks(utcFile)) / kTicksPerMinute;
  return {{{local.wYear, local.wMonth, local.wDay}, {local.wHour, local.wMinute, local.wSecond}},
          static_cast<int>(offset)};
}

}  // namespace cuelark
