// The store's INI control for native tests: the Brevoni engine itself, so the
// tests see the exact bytes the control would write. Texts cross as Latin-1,
// one byte per character, which is what the control's ANSI code page gives
// for the characters these tests use.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "inicontrol/engine/IniSession.h"
#include "scheduler/core/IniStore.h"

namespace cuelark {

class EngineIniStore final : public IniStore {
 public:
  explicit EngineIniStore(brevoni::FileStore& files) : session_(files) {}

  std::wstring ReadINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override {
    return Widen(session_.ReadINI(Narrow(section), Narrow(key), file));
  }
  void WriteINI(const std::wstring& section, const std::wstring& key, const std::wstring& data,
                const std::wstring& file) override {
    session_.WriteINI(Narrow(section), Narrow(key), Narrow(data), file);
  }
  void DeleteINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override {
    session_.DeleteINI(Narrow(section), Narrow(key), file);
  }
  void BeginUpdate(const std::wstring& file) override { session_.BeginUpdate(file); }
  bool CommitUpdate(std::wstring& reason) override {
    if (session_.CommitUpdate()) return true;
    reason = Widen(session_.LastError());
    return false;
  }
  void CancelUpdate() override { session_.CancelUpdate(); }

  static std::string Narrow(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
      if (static_cast<unsigned long>(c) > 0xFF) throw std::invalid_argument("text outside Latin-1");
      bytes += static_cast<char>(static_cast<unsigned char>(c));
    }
    return bytes;
  }
  static std::wstring Widen(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
  }

 private:
  brevoni::IniSession session_;
};

}  // namespace cuelark
