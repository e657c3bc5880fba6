// The store's INI control for native tests: the Brevoni engine itself, so the
// tests see the exact bytes the control would write. The native file store's
// ANSI code page is Latin-1, which is what the control's gives for the
// characters these tests use; other texts make the file UTF-8, as there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "inicontrol/engine/IniSession.h"
#include "scheduler/core/IniStore.h"

namespace cuelark {

class EngineIniStore final : public IniStore {
 public:
  explicit EngineIniStore(brevoni::FileStore& files) : session_(files) {}

  std::wstring ReadINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override {
    return session_.ReadINI(section, key, file);
  }
  void WriteINI(const std::wstring& section, const std::wstring& key, const std::wstring& data,
                const std::wstring& file) override {
    session_.WriteINI(section, key, data, file);
  }
  void DeleteINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override {
    session_.DeleteINI(section, key, file);
  }
  void BeginUpdate(const std::wstring& file) override { session_.BeginUpdate(file); }
  bool CommitUpdate(std::wstring& reason) override {
    if (session_.CommitUpdate()) return true;
    const std::string& error = session_.LastError();
    reason.assign(error.begin(), error.end());
    return false;
  }
  void CancelUpdate() override { session_.CancelUpdate(); }

 private:
  brevoni::IniSession session_;
};

}  // namespace cuelark
