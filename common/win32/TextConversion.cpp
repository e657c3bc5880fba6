#include "common/win32/TextConversion.h"

#include <cwchar>
#include <stdexcept>

#include "common/win32/Handles.h"

namespace win32 {

std::string WideToCodePage(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  // One call into a buffer large enough for any code page (at most four
  // bytes per UTF-16 unit) instead of a second one to measure: every
  // argument of every control call passes here.
  std::string out(text.size() * 4, '\0');
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                       static_cast<int>(out.size()), nullptr, nullptr);
  if (size == 0) {
    throw std::runtime_error("text conversion to code page " + std::to_string(codePage) +
                             " failed: " + DescribeError(GetLastError()));
  }
  out.resize(static_cast<std::size_t>(size));
  return out;
}

std::wstring CodePageToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  if (size == 0 || MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), size) != size) {
    throw std::runtime_error("text conversion from code page " + std::to_string(codePage) +
                             " failed: " + DescribeError(GetLastError()));
  }
  return out;
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
  if (text.empty()) return std::string();
  // A UTF-8 code page holds every character, and refuses the flags that
  // detect a substitution.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const substituted = utf8 ? nullptr : &usedDefault;
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, substituted);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), size, nullptr, substituted) != size ||
      usedDefault)
    return std::nullopt;
  return bytes;
}

std::wstring ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  const unique_hlocal owner(text);
  std::wstring message(text != nullptr ? text : L"", length);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  // An HRESULT reads best in hexadecimal, a Win32 error code in decimal.
  wchar_t number[24];
  if (error & 0x80000000u)
    std::swprintf(number, 24, L"0x%08lX", static_cast<unsigned long>(error));
  else
    std::swprintf(number, 24, L"error %lu", static_cast<unsigned long>(error));
  const std::wstring code = number;
  return message.empty() ? code : message + L" (" + code + L")";
}

std::string DescribeError(DWORD error) {
  const std::wstring text = ErrorText(error);
  // Converted without the checked helper, which reports its own failures through here.
  std::string utf8(text.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                           utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
}

}  // namespace win32
