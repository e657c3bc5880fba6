#include "scheduler/core/InstanceLock.h"

#include <cstdint>

namespace cuelark {

std::wstring InstanceLockName(std::wstring_view programFolder) {
  // 64-bit FNV-1a over the UTF-16 units: stable across runs and builds, which
  // a std::hash need not be, and collisions among one user's folders are
  // out of reach.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (wchar_t c : programFolder) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    const auto unit = static_cast<std::uint16_t>(c);
    for (const std::uint8_t byte : {static_cast<std::uint8_t>(unit & 0xFF), static_cast<std::uint8_t>(unit >> 8)}) {
      hash = (hash ^ byte) * 0x100000001b3ull;
    }
  }
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name = L"Local\\Cuelark-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name;
}

}  // namespace cuelark
