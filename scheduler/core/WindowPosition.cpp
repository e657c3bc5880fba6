#include "scheduler/core/WindowPosition.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

namespace cuelark {
namespace {

// Far beyond any desktop, yet small enough that twips to pixels at any DPI
// stays inside an int.
constexpr double kLimit = 10'000'000.0;

std::optional<int> ParseCoordinate(std::wstring_view text) {
  const std::wstring copy(text);
  const wchar_t* begin = copy.c_str();
  wchar_t* end = nullptr;
  const double value = std::wcstod(begin, &end);
  if (end == begin || !std::isfinite(value)) return std::nullopt;
  return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

std::optional<TwipsPosition> ParseSavedPosition(std::wstring_view left, std::wstring_view top) {
  const std::optional<int> x = ParseCoordinate(left);
  if (!x) return std::nullopt;
  return TwipsPosition{*x, ParseCoordinate(top).value_or(0)};
}

ScreenRect WorkAreaToScreen(const ScreenRect& rect, const ScreenRect& monitor, const ScreenRect& work) {
  const int dx = work.left - monitor.left;
  const int dy = work.top - monitor.top;
  return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

ScreenRect KeepInside(ScreenRect window, const ScreenRect& area) {
  const int width = std::min(window.right - window.left, area.right - area.left);
  const int height = std::min(window.bottom - window.top, area.bottom - area.top);
  const int left = std::clamp(window.left, area.left, area.right - width);
  const int top = std::clamp(window.top, area.top, area.bottom - height);
  return {left, top, left + width, top + height};
}

}  // namespace cuelark
