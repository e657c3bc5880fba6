#include "inicontrol/WinText.h"

#include <cwchar>
#include <new>
#include <stdexcept>

namespace brevoni {

std::wstring_view BstrText(BSTR text) {
  if (text == nullptr) return {};
  return std::wstring_view(text, wcsnlen(text, SysStringLen(text)));
}

std::string WideToCodePage(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  // One call into a buffer large enough for any code page (at most four
  // bytes per UTF-16 unit) instead of a second one to measure: every
  // argument of every call passes here.
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

unique_bstr MakeBstr(std::wstring_view text) {
  unique_bstr bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!bstr) throw std::bad_alloc();
  return bstr;
}

unique_bstr CodePageToBstr(UINT codePage, std::string_view text) {
  // A code page never needs more UTF-16 units than bytes; with a single-byte
  // code page the count is exact.
  unique_bstr bstr = MakeBstr(std::wstring_view(nullptr, 0));
  if (text.empty()) return bstr;
  bstr.reset(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())));
  if (!bstr) throw std::bad_alloc();
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), bstr.get(),
                                       static_cast<int>(text.size()));
  if (size == 0) {
    throw std::runtime_error("text conversion from code page " + std::to_string(codePage) +
                             " failed: " + DescribeError(GetLastError()));
  }
  if (static_cast<std::size_t>(size) < text.size()) bstr = MakeBstr(std::wstring_view(bstr.get(), size));
  return bstr;
}

std::string DescribeError(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  // Converted without the checked helper, which reports its own failures through here.
  std::string utf8(message.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, message.data(), static_cast<int>(message.size()),
                                                           utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  const std::string code = "error " + std::to_string(error);
  return utf8.empty() ? code : utf8 + " (" + code + ")";
}

}  // namespace brevoni
