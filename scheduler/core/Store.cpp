#include "scheduler/core/Store.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace cuelark {

namespace {

const std::wstring kSavedCommandsSection = L"Saved Commands";
const std::wstring kTotalCountSection = L"Total Count";
const std::wstring kPositionSection = L"Position";
const std::wstring kCountKey = L"count";
const std::wstring kLeftKey = L"Left";
const std::wstring kTopKey = L"Top";

// Key words of an entry, each followed by the entry number.
const std::wstring kNameWord = L"name";
const std::wstring kCommandWord = L"command";
const std::wstring kStartDateWord = L"startDate";
const std::wstring kStartTimeWord = L"startTime";
const std::wstring kIsCheckedWord = L"isChecked";
const std::wstring kRemWhenDoneWord = L"remWhenDone";

std::wstring EntryKey(const std::wstring& word, int number) { return word + std::to_wstring(number); }

// A decimal whole number with an optional sign; anything else is not a
// number (the INI control has already dropped blanks around values). Values too large for 64 bits saturate, so "a huge
// count" still reads as huge rather than as junk.
std::optional<std::int64_t> ParseWholeNumber(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const int digit = c - L'0';
    value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
  }
  return negative ? -value : value;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// The reader drops blanks at either end of a value and one pair of matching
// quotes around it, so a quoted path or a name with an edge blank would come
// back changed. Such a text is written inside one more pair of double quotes,
// the pair the reader then drops.
std::wstring AsWritten(const std::wstring& text) {
  if (text.empty()) return text;
  const auto blank = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == L'\x1a'; };
  const bool quoted =
      text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front();
  return quoted || blank(text.front()) || blank(text.back()) ? L'"' + text + L'"' : text;
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
//   missing, or starting with "["    nothing
//   0 or negative                    nothing, even if entries are present
//   1 .. 32767                       entries 1..count, but not past the last
//                                    number that has any key (a too-large
//                                    count adds no rows of "[ Not Found ]")
//   above 32767 (any size)           as above, with the count taken as 32767
//   not a number (junk, empty)       entries 1, 2, ... as long as each has at
//                                    least one key, at most 32767
//
// Within what is loaded, each entry reads as follows:
//
//   key                              missing or unreadable
//   -------------------------------  ---------------------------------------
//   name, command, startDate,        the text "[ Not Found ]" in that column;
//   startTime                        such an entry is never due (a text
//                                    starting with "[" is missing too)
//   isChecked                        unticked ("True"/"False" in any case,
//                                    or a number, nonzero meaning ticked)
//   remWhenDone                      not removed after execution (only the
//                                    number 1 removes)
//
// Other values, however long or odd, are taken as text exactly as read.
struct LoadPlan {
  int limit = 0;
  bool stopAtFirstMissing = false;
};

LoadPlan PlanFromCount(const std::wstring& countText) {
  if (IsAbsent(countText)) return {};
  const std::optional<std::int64_t> count = ParseWholeNumber(countText);
  if (!count) return {kMaxSavedCommands, true};
  if (*count <= 0) return {};
  return {static_cast<int>(std::min<std::int64_t>(*count, kMaxSavedCommands)), false};
}

}  // namespace

SavedCommandStore::SavedCommandStore(IniStore& iniStore, std::wstring iniPath, WeekLocale weekLocale)
    : iniStore_(iniStore), iniPath_(std::move(iniPath)), weekLocale_(std::move(weekLocale)) {}

SavedCommandStore::Loaded SavedCommandStore::LoadSavedCommands() {
  UpdateBatch batch(iniStore_, iniPath_);
  const auto read = [&](const std::wstring& word, int number) {
    return iniStore_.ReadINI(kSavedCommandsSection, EntryKey(word, number), iniPath_);
  };
  const LoadPlan plan = PlanFromCount(iniStore_.ReadINI(kTotalCountSection, kCountKey, iniPath_));

  std::vector<SavedCommand> loaded;
  // Numbers without any key are held back until a later number has one: an
  // inner gap keeps its place (and its followers their numbers), a trailing
  // run is dropped.
  std::size_t heldBack = 0;
  SavedCommand missing;
  for (int number = 1; number <= plan.limit; ++number) {
    SavedCommand entry;
    entry.name = read(kNameWord, number);
    entry.command = read(kCommandWord, number);
    entry.startDate = read(kStartDateWord, number);
    entry.startTime = read(kStartTimeWord, number);
    const std::wstring isChecked = read(kIsCheckedWord, number);
    const std::wstring remWhenDone = read(kRemWhenDoneWord, number);
    entry.isChecked = ReadFlag(isChecked);
    entry.remWhenDone = ParseWholeNumber(remWhenDone) == 1;
    if (!IsAbsent(entry.startDate) && !IsAbsent(entry.startTime))
      entry.rule = ScheduleRule::Read(entry.startDate, entry.startTime, weekLocale_);

    const bool anyKey = !IsAbsent(entry.name) || !IsAbsent(entry.command) ||
                        !IsAbsent(entry.startDate) || !IsAbsent(entry.startTime) ||
                        !IsAbsent(isChecked) || !IsAbsent(remWhenDone);
    if (!anyKey) {
      if (plan.stopAtFirstMissing) break;
      if (heldBack++ == 0) missing = entry;
      continue;
    }
    loaded.insert(loaded.end(), heldBack, missing);
    heldBack = 0;
    loaded.push_back(std::move(entry));
  }
  // Nothing was changed, so this writes nothing; it only tells whether the
  // file could be read at all, which the reads above cannot tell from empty.
  StoreResult result = batch.Commit();
  if (!result.ok) loaded.clear();
  return {std::move(loaded), std::move(result)};
}

StoreResult SavedCommandStore::WriteSavedCommands(const std::vector<SavedCommand>& entries) {
  UpdateBatch batch(iniStore_, iniPath_);
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
  const auto write = [&](const std::wstring& word, int number, const std::wstring& value) {
    iniStore_.WriteINI(kSavedCommandsSection, EntryKey(word, number), AsWritten(value), iniPath_);
  };
  int number = 0;
  for (const SavedCommand& entry : entries) {
    ++number;
    write(kNameWord, number, entry.name);
    write(kCommandWord, number, entry.command);
    write(kStartDateWord, number, entry.startDate);
    write(kStartTimeWord, number, entry.startTime);
    write(kIsCheckedWord, number, entry.isChecked ? L"True" : L"False");
    write(kRemWhenDoneWord, number, entry.remWhenDone ? L"1" : L"0");
  }
  if (number > 0) iniStore_.WriteINI(kTotalCountSection, kCountKey, std::to_wstring(number), iniPath_);
  if (!IsAbsent(left)) iniStore_.WriteINI(kPositionSection, kLeftKey, AsWritten(left), iniPath_);
  if (!IsAbsent(top)) iniStore_.WriteINI(kPositionSection, kTopKey, AsWritten(top), iniPath_);
  return batch.Commit();
}

std::optional<std::pair<std::wstring, std::wstring>> SavedCommandStore::ReadPosition() {
  const UpdateBatch batch(iniStore_, iniPath_);
  std::wstring left = iniStore_.ReadINI(kPositionSection, kLeftKey, iniPath_);
  if (IsAbsent(left)) return std::nullopt;
  return std::pair{std::move(left), iniStore_.ReadINI(kPositionSection, kTopKey, iniPath_)};
}

StoreResult SavedCommandStore::WritePosition(const std::wstring& left, const std::wstring& top) {
  UpdateBatch batch(iniStore_, iniPath_);
  iniStore_.WriteINI(kPositionSection, kLeftKey, AsWritten(left), iniPath_);
  iniStore_.WriteINI(kPositionSection, kTopKey, AsWritten(top), iniPath_);
  return batch.Commit();
}

}  // namespace cuelark
