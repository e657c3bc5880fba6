#include "inicontrol/SystemProfile.h"

#include <algorithm>

#include "common/win32/TextConversion.h"
#include "inicontrol/engine/IniSession.h"

namespace brevoni {
namespace {

constexpr wchar_t kMappingKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping";

// The name that the mapping lists a file under: what follows its last
// folder separator or drive colon, as the platform cuts it.
std::wstring_view NameOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? std::wstring_view(path) : std::wstring_view(path).substr(cut + 1);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// A string argument of the profile functions, which stop at its first NUL.
std::wstring Argument(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

// Calls a profile function that fills a buffer until its answer fits: the
// functions tell a cut answer only by its length, which is then `cut` short
// of the buffer's.
template <typename Fill>
std::wstring Filled(Fill fill, DWORD cut) {
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length + cut < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// A list the profile functions give: texts each ending in NUL.
std::vector<std::wstring> Split(const std::wstring& list) {
  std::vector<std::wstring> texts;
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find(L'\0', start);
    if (end == std::wstring::npos) end = list.size();
    texts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

std::optional<std::string> Written(BOOL written, const std::filesystem::path& file) {
  if (written) return std::nullopt;
  const auto name = file.u8string();
  return "cannot write " + std::string(name.begin(), name.end()) + " through the system's profile functions: " +
         win32::DescribeError(GetLastError());
}

}  // namespace

bool IniFileMapping::Maps(const std::filesystem::path& file) {
  // The platform's own lookup reads the 64-bit view, also for 32-bit callers.
  if (!mapping_) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMappingKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
      return false;  // no mapping at all: looked for again on the next call
    }
    mapping_.reset(key);
    changed_.reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    if (!changed_) throw std::runtime_error("cannot watch the INI file mapping: " + win32::DescribeError(GetLastError()));
  }
  if (WaitForSingleObject(changed_.get(), 0) == WAIT_OBJECT_0) Refresh();
  const std::wstring_view name = NameOf(file.native());
  return std::any_of(names_.begin(), names_.end(), [&](const std::wstring& mapped) { return SameName(mapped, name); });
}

void IniFileMapping::Refresh() {
  // Watching again before reading the names: a change meanwhile sets the
  // event once more, and the next call reads them again.
  ResetEvent(changed_.get());
  const LSTATUS watched = RegNotifyChangeKeyValue(mapping_.get(), FALSE, REG_NOTIFY_CHANGE_NAME, changed_.get(), TRUE);
  if (watched != ERROR_SUCCESS) SetEvent(changed_.get());  // unwatched: read them on every call
  names_.clear();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LSTATUS status = RegEnumKeyExW(mapping_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS) names_.emplace_back(name, length);
  }
}

namespace system_profile {

std::wstring Read(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file) {
  const std::wstring sectionName = Argument(section), keyName = Argument(key), notFound(kNotFound);
  return Filled(
      [&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(sectionName.c_str(), keyName.c_str(), notFound.c_str(), buffer, size,
                                        file.c_str());
      },
      1);
}

std::optional<std::string> Write(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                 const std::filesystem::path& file) {
  const std::wstring sectionName = Argument(section), keyName = Argument(key), data = Argument(value);
  return Written(WritePrivateProfileStringW(sectionName.c_str(), keyName.c_str(), data.c_str(), file.c_str()), file);
}

std::optional<std::string> Delete(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file) {
  const std::wstring sectionName = Argument(section), keyName = Argument(key);
  return Written(WritePrivateProfileStringW(sectionName.c_str(), keyName.empty() ? nullptr : keyName.c_str(), nullptr,
                                            file.c_str()),
                 file);
}

std::vector<std::wstring> Sections(const std::filesystem::path& file) {
  return Split(Filled(
      [&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, file.c_str()); }, 2));
}

std::vector<std::wstring> Keys(std::wstring_view section, const std::filesystem::path& file) {
  const std::wstring sectionName = Argument(section);
  return Split(Filled(
      [&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(sectionName.c_str(), nullptr, L"", buffer, size, file.c_str());
      },
      2));
}

}  // namespace system_profile
}  // namespace brevoni
