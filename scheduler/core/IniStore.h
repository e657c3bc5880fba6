// The scheduler's view of the INI control instance `iniStore`. Every call
// names its file; the shell implements this over the control, the tests over
// the engine directly.
#pragma once

#include <string>
#include <string_view>

namespace cuelark {

// What ReadINI yields for a missing file, section or key.
inline constexpr std::wstring_view kNotFound = L"[ Not Found ]";

// Readers treat any value starting with "[" as absent, not only kNotFound,
// so that files written by hand with a bracketed placeholder read the same.
inline bool IsAbsent(std::wstring_view value) { return !value.empty() && value.front() == L'['; }

// The reader drops blanks at either end of a value and one pair of matching
// quotes around it, so a quoted path or a name with an edge blank would come
// back changed. Such a text is written inside one more pair of double quotes,
// the pair the reader then drops.
inline std::wstring AsWritten(const std::wstring& text) {
  if (text.empty()) return text;
  const auto blank = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == L'\x1a'; };
  const bool quoted =
      text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front();
  return quoted || blank(text.front()) || blank(text.back()) ? L'"' + text + L'"' : text;
}

class IniStore {
 public:
  virtual ~IniStore() = default;
  virtual std::wstring ReadINI(const std::wstring& section, const std::wstring& key,
                               const std::wstring& file) = 0;
  virtual void WriteINI(const std::wstring& section, const std::wstring& key,
                        const std::wstring& data, const std::wstring& file) = 0;
  // An empty key deletes the section: every section of that name.
  virtual void DeleteINI(const std::wstring& section, const std::wstring& key,
                         const std::wstring& file) = 0;
  // Reads the file once; until the update ends, calls on that file work on
  // that image in memory.
  virtual void BeginUpdate(const std::wstring& file) = 0;
  // Replaces the file in one step. On failure returns false with the reason
  // and leaves the old file as it was.
  virtual bool CommitUpdate(std::wstring& reason) = 0;
  virtual void CancelUpdate() = 0;
};

struct StoreResult {
  bool ok = true;
  std::wstring reason;  // set when !ok
  // Not written because the file was changed by someone else after the
  // caller had last read it: the file keeps that change.
  bool changedMeanwhile = false;
};

// BeginUpdate .. CommitUpdate/CancelUpdate, cancelled when left early (an
// exception from the control) so the control is never left mid-update.
class UpdateBatch {
 public:
  UpdateBatch(IniStore& iniStore, const std::wstring& file) : iniStore_(iniStore) {
    iniStore_.BeginUpdate(file);
  }
  UpdateBatch(const UpdateBatch&) = delete;
  UpdateBatch& operator=(const UpdateBatch&) = delete;
  ~UpdateBatch() {
    if (open_) iniStore_.CancelUpdate();
  }

  StoreResult Commit() {
    open_ = false;
    StoreResult result;
    result.ok = iniStore_.CommitUpdate(result.reason);
    return result;
  }

 private:
  IniStore& iniStore_;
  bool open_ = true;
};

}  // namespace cuelark
