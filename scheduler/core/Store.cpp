#include "scheduler/core/Store.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "scheduler/core/Digits.h"

namespace cuelark {

namespace {

const std::wstring kSavedCommandsSection = L"Saved Commands";
const std::wstring kTotalCountSection = L"Total Count";
const std::wstring kPositionSection = L"Position";
const std::wstring kCountKey = L"count";
const std::wstring kChangedMeanwhile = L"another program changed the file while Cuelark was writing it";
const std::wstring kLeftKey = L"Left";
const std::wstring kTopKey = L"Top";

// Key words of an entry, each followed by the entry number, in the order
// they are written.
enum EntryKey : std::size_t { kName, kCommand, kStartDate, kStartTime, kIsChecked, kRemWhenDone, kEntryKeys };
constexpr std::array<std::wstring_view, kEntryKeys> kEntryWords = {L"name",      L"command",   L"startDate",
                                                                   L"startTime", L"isChecked", L"remWhenDone"};

std::wstring EntryKeyName(EntryKey key, int number) { return std::wstring(kEntryWords[key]) + std::to_wstring(number); }

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// Files written by hand or by older tools may hold "true", "0" or "-1" here,
// as well as the "True"/"False" this program writes.
bool ReadFlag(std::wstring_view text) {
  if (EqualsIgnoringAsciiCase(text, L"True")) return true;
  if (EqualsIgnoringAsciiCase(text, L"False")) return false;
  const std::optional<std::int64_t> number = ParseWholeNumber(text);
  return number && *number != 0;
}

// How far loading walks, decided by the "count" text:
//
//   "count" text                     loads
//   -------------------------------  ---------------------------------------
//   1 .. 32767                       entries 1..count, but not past the last
//                                    number that has any key (a too-large
//                                    count adds no empty rows); an inner gap
//                                    keeps its place as an empty entry
//   above 32767 (any size)           as above, with the count taken as 32767
//   missing, in brackets, 0,         nothing counted
//   negative, not a number, empty
//
// After the counted ones, every further number that has a key is loaded
// too, until kLooseLookAhead numbers in a row have none: a count edited by
// hand (or left out) must not make the next Save erase entries. At most
// 32767 entries are loaded in all.
//
// Within what is loaded, each entry reads as follows:
//
//   key                              missing or unreadable
//   -------------------------------  ---------------------------------------
//   name, command, startDate,        empty text, written back empty; such an
//   startTime                        entry is never due
//   isChecked                        unticked ("True"/"False" in any case,
//                                    or a number, nonzero meaning ticked)
//   remWhenDone                      not removed after execution (only the
//                                    number 1 removes)
//
// Other values, however long or odd, are taken as text exactly as read.
constexpr int kLooseLookAhead = 100;

int CountedEntries(const std::wstring& countText) {
  if (IsAbsent(countText)) return 0;
  const std::optional<std::int64_t> count = ParseWholeNumber(countText);
  if (!count || *count <= 0) return 0;
  return static_cast<int>(std::min<std::int64_t>(*count, kMaxSavedCommands));
}

// The text of a key that may be missing: the control's not-found text stands
// for no text at all, and must not reach the file as if the user had typed it.
std::wstring TextOrEmpty(std::wstring value) { return value == kNotFound ? std::wstring() : value; }

}  // namespace

SavedCommandStore::SavedCommandStore(IniStore& iniStore, std::wstring iniPath, WeekLocale weekLocale)
    : iniStore_(iniStore), iniPath_(std::move(iniPath)), weekLocale_(std::move(weekLocale)) {}

SavedCommandStore::Loaded SavedCommandStore::LoadSavedCommands() {
  UpdateBatch batch(iniStore_, iniPath_);
  const auto read = [&](EntryKey key, int number) {
    return iniStore_.ReadINI(kSavedCommandsSection, EntryKeyName(key, number), iniPath_);
  };
  const int counted = CountedEntries(iniStore_.ReadINI(kTotalCountSection, kCountKey, iniPath_));

  std::vector<SavedCommand> loaded;
  // Counted numbers without any key are held back until a later number has
  // one: an inner gap keeps its place (and its followers their numbers), a
  // trailing run is dropped. Past the count, numbers without a key are
  // simply passed over.
  std::size_t heldBack = 0;
  int withoutKey = 0;
  for (int number = 1; loaded.size() < static_cast<std::size_t>(kMaxSavedCommands); ++number) {
    const bool isCounted = number <= counted;
    if (!isCounted && withoutKey >= kLooseLookAhead) break;
    std::array<std::wstring, kEntryKeys> texts;
    bool anyKey = false;
    for (std::size_t key = 0; key < kEntryKeys; ++key) {
      texts[key] = read(static_cast<EntryKey>(key), number);
      anyKey = anyKey || !IsAbsent(texts[key]);
    }
    if (!anyKey) {
      if (isCounted) {
        ++heldBack;
      } else {
        ++withoutKey;
      }
      continue;
    }
    withoutKey = 0;
    SavedCommand entry;
    entry.name = TextOrEmpty(texts[kName]);
    entry.command = TextOrEmpty(texts[kCommand]);
    entry.startDate = TextOrEmpty(texts[kStartDate]);
    entry.startTime = TextOrEmpty(texts[kStartTime]);
    entry.isChecked = ReadFlag(texts[kIsChecked]);
    entry.remWhenDone = ParseWholeNumber(texts[kRemWhenDone]) == 1;
    entry.rule = ScheduleRule::Read(entry.startDate, entry.startTime, weekLocale_);
    SavedCommand gap;
    gap.isChecked = false;
    loaded.insert(loaded.end(), std::min(heldBack, static_cast<std::size_t>(kMaxSavedCommands) - loaded.size() - 1), gap);
    heldBack = 0;
    loaded.push_back(std::move(entry));
  }
  // Nothing was changed, so this writes nothing; it only tells whether the
  // file could be read at all, which the reads above cannot tell from empty.
  StoreResult result = batch.Commit();
  if (!result.ok) loaded.clear();
  return {std::move(loaded), std::move(result)};
}

StoreResult SavedCommandStore::WriteSavedCommands(const std::vector<SavedCommand>& entries,
                                                  const std::function<bool()>& unchangedSinceRead) {
  UpdateBatch batch(iniStore_, iniPath_);
  // From here on the batch holds what it read, and the control refuses to
  // commit over a file changed after that; this covers the time before.
  if (unchangedSinceRead && !unchangedSinceRead()) return {false, kChangedMeanwhile, true};
  // The position is carried over rather than dropped: a removal must not
  // cost the user the window's place.
  const std::wstring left = iniStore_.ReadINI(kPositionSection, kLeftKey, iniPath_);
  const std::wstring top = iniStore_.ReadINI(kPositionSection, kTopKey, iniPath_);

  // Deleting and re-adding all three keeps their order in the file fixed and
  // leaves no keys numbered above the new count. Each delete takes every
  // section of that name: the loader reads only the first, and a second one
  // left behind would surface in the next load.
  for (const std::wstring* section : {&kSavedCommandsSection, &kTotalCountSection, &kPositionSection}) {
    iniStore_.DeleteINI(*section, L"", iniPath_);
  }
  int number = 0;
  for (const SavedCommand& entry : entries) {
    ++number;
    const std::array<std::wstring, kEntryKeys> values = {entry.name,      entry.command,
                                                         entry.startDate, entry.startTime,
                                                         entry.isChecked ? L"True" : L"False",
                                                         entry.remWhenDone ? L"1" : L"0"};
    for (std::size_t key = 0; key < kEntryKeys; ++key)
      iniStore_.WriteINI(kSavedCommandsSection, EntryKeyName(static_cast<EntryKey>(key), number), AsWritten(values[key]),
                         iniPath_);
  }
  if (number > 0) iniStore_.WriteINI(kTotalCountSection, kCountKey, std::to_wstring(number), iniPath_);
  if (!IsAbsent(left)) iniStore_.WriteINI(kPositionSection, kLeftKey, AsWritten(left), iniPath_);
  if (!IsAbsent(top)) iniStore_.WriteINI(kPositionSection, kTopKey, AsWritten(top), iniPath_);
  StoreResult result = batch.Commit();
  if (!result.ok && unchangedSinceRead && !unchangedSinceRead()) result = {false, kChangedMeanwhile, true};
  return result;
}

std::optional<TwipsPosition> SavedCommandStore::ReadPosition() {
  const UpdateBatch batch(iniStore_, iniPath_);
  const std::wstring left = iniStore_.ReadINI(kPositionSection, kLeftKey, iniPath_);
  if (IsAbsent(left)) return std::nullopt;
  return ParseSavedPosition(left, iniStore_.ReadINI(kPositionSection, kTopKey, iniPath_));
}

StoreResult SavedCommandStore::WritePosition(const TwipsPosition& position) {
  UpdateBatch batch(iniStore_, iniPath_);
  iniStore_.WriteINI(kPositionSection, kLeftKey, std::to_wstring(position.left), iniPath_);
  iniStore_.WriteINI(kPositionSection, kTopKey, std::to_wstring(position.top), iniPath_);
  return batch.Commit();
}

}  // namespace cuelark
