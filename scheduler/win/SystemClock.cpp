#include "scheduler/win/SystemClock.h"

#include <windows.h>

namespace cuelark {
namespace {

constexpr long long kTicksPerSecond = 10'000'000;
// FILETIME counts from 1601; UtcInstant from 1970.
constexpr long long kTicksTo1970 = 116'444'736'000'000'000LL;

long long Ticks(const FILETIME& t) {
  return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

}  // namespace

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
  constexpr long long kTicksPerMinute = 60LL * kTicksPerSecond;
  const long long offset = (Ticks(localFile) - Ticks(utcFile)) / kTicksPerMinute;
  return {{{local.wYear, local.wMonth, local.wDay}, {local.wHour, local.wMinute, local.wSecond}},
          static_cast<int>(offset)};
}

UtcInstant UtcNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return {(Ticks(now) - kTicksTo1970) / kTicksPerSecond};
}

int UtcOffsetMinutesAt(UtcInstant instant) {
  const long long ticks = instant.serial * kTicksPerSecond + kTicksTo1970;
  const FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  FILETIME localFile{};
  // The zone's rules for that instant, daylight saving included; without
  // them the offset of now is the best guess.
  if (!FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
      !SystemTimeToFileTime(&local, &localFile)) {
    return LocalTimeAndOffset().second;
  }
  return static_cast<int>((Ticks(localFile) - ticks) / (60LL * kTicksPerSecond));
}

}  // namespace cuelark
