#include "scheduler/core/Options.h"

#include <utility>

namespace cuelark {

namespace {

const std::wstring kSection = L"Options";
const std::wstring kStartAtLogOnKey = L"StartAtLogOn";
const std::wstring kWakeForFiringsKey = L"WakeForFirings";
const std::wstring kCheckAheadKey = L"CheckAhead";
const std::wstring kFallbackKey = L"Fallback";

const wchar_t* FlagText(bool on) { return on ? L"1" : L"0"; }

}  // namespace

OptionsStore::OptionsStore(IniStore& iniStore, std::wstring iniPath)
    : iniStore_(iniStore), iniPath_(std::move(iniPath)) {}

Options OptionsStore::Read() {
  const UpdateBatch batch(iniStore_, iniPath_);
  const auto flag = [&](const std::wstring& key) { return iniStore_.ReadINI(kSection, key, iniPath_) == L"1"; };
  Options options;
  options.startAtLogOn = flag(kStartAtLogOnKey);
  options.wakeForFirings = flag(kWakeForFiringsKey);
  options.checkAhead = flag(kCheckAheadKey);
  std::wstring fallback = iniStore_.ReadINI(kSection, kFallbackKey, iniPath_);
  if (!IsAbsent(fallback)) options.fallback = std::move(fallback);
  return options;
}

StoreResult OptionsStore::Write(const Options& options) {
  UpdateBatch batch(iniStore_, iniPath_);
  iniStore_.WriteINI(kSection, kStartAtLogOnKey, FlagText(options.startAtLogOn), iniPath_);
  iniStore_.WriteINI(kSection, kWakeForFiringsKey, FlagText(options.wakeForFirings), iniPath_);
  iniStore_.WriteINI(kSection, kCheckAheadKey, FlagText(options.checkAhead), iniPath_);
  iniStore_.WriteINI(kSection, kFallbackKey, AsWritten(options.fallback), iniPath_);
  return batch.Commit();
}

}  // namespace cuelark
