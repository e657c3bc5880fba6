#include "scheduler/core/DueTimes.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/EnglishWeek.h"

namespace cuelark {
namespace {

using namespace test;

LocalDateTime At(CivilDate date, TimeOfDay time) { return {date, time}; }

// The due rule applied to every second of the span: slow, plainly right.
std::vector<Firing> DueSecondBySecond(const std::vector<SavedCommand>& entries, const LocalDateTime& first,
                                      const LocalDateTime& last) {
  std::vector<Firing> firings;
  for (std::int64_t serial = SerialSecond(first); serial <= SerialSecond(last); ++serial) {
    const LocalDateTime moment = FromSerialSecond(serial);
    for (const SavedCommand& entry : entries) {
      if (IsDue(entry, moment))
        firings.push_back({entry.id, moment});
    }
  }
  return firings;
}

std::vector<std::pair<EntryId, std::int64_t>> Seconds(const std::vector<Firing>& firings) {
  std::vector<std::pair<EntryId, std::int64_t>> seconds;
  for (const Firing& firing : firings) seconds.emplace_back(firing.id, SerialSecond(firing.second));
  return seconds;
}

// Entries of every kind the rule knows, several due in the same second.
std::vector<SavedCommand> MixedEntries(const WeekLocale& locale) {
  const auto entry = [&](EntryId id, const wchar_t* day, const wchar_t* time, bool checked = true) {
    return Entry(id, day, time, checked, locale);
  };
  return {entry(1, L"EVERY DAY", L"00:00:00"),   entry(2, L"EVERY DAY", L"23:59:59"),
          entry(3, L"WEDNESDAY", L"12:00:00"),   entry(4, L"SUNDAY", L"12:00:00"),
          entry(5, L"2026-12-09", L"12:00:00"),  entry(6, L"2026-12-31", L"23:59:59"),
          entry(7, L"EVERY DAY", L"12:00:00", false), entry(8, L"EVERY DAY", L"12:00:00"),
          entry(9, L"EVERY DAY", L"9:00:00"),    entry(10, L"2026-12-10", L"24:00:00"),
          entry(11, L"Wednesday", L"12:00:00"),  entry(12, L"", L"12:00:00"),
          entry(13, L"2027-01-01", L"00:00:00"), entry(14, L"MONDAY", L"00:00:01"),
          entry(15, L"EVERY DAY", L"12:10:00")};
}

struct DueCase {
  const wchar_t* what;
  const wchar_t* startDate;
  const wchar_t* startTime;
  bool checked;
  bool due;
};

TEST(IsDueTest, OnlyExactTextsInTheFixedFormsAreDue) {
  const LocalDateTime wednesdayMorning{{2026, 12, 9}, {9, 5, 0}};
  const DueCase kCases[] = {
      {L"date and time", L"2026-12-09", L"09:05:00", true, true},
      {L"other date", L"2026-12-10", L"09:05:00", true, false},
      {L"other second", L"2026-12-09", L"09:05:01", true, false},
      {L"weekday label", L"WEDNESDAY", L"09:05:00", true, true},
      {L"other weekday", L"THURSDAY", L"09:05:00", true, false},
      {L"label in other case", L"Wednesday", L"09:05:00", true, false},
      {L"every day", L"EVERY DAY", L"09:05:00", true, true},
      {L"every day in other case", L"Every Day", L"09:05:00", true, false},
      {L"unchecked every day", L"EVERY DAY", L"09:05:00", false, false},
      {L"day first date", L"09-12-2026", L"09:05:00", true, false},
      {L"hour without leading zero", L"EVERY DAY", L"9:05:00", true, false},
      {L"empty day", L"", L"09:05:00", true, false},
      {L"missing day", L"[ Not Found ]", L"09:05:00", true, false},
      {L"missing time", L"EVERY DAY", L"[ Not Found ]", true, false},
  };
  for (const DueCase& c : kCases) {
    EXPECT_EQ(IsDue(Entry(1, c.startDate, c.startTime, c.checked), wednesdayMorning), c.due)
        << testing::PrintToString(std::wstring(c.what));
  }
}

TEST(DueBetweenTest, FindsWhatExaminingEverySecondFinds) {
  const struct {
    const char* what;
    LocalDateTime first;
    LocalDateTime last;
  } kSpans[] = {
      {"one second", At({2026, 12, 9}, {12, 0, 0}), At({2026, 12, 9}, {12, 0, 0})},
      {"a minute across midnight", At({2026, 12, 8}, {23, 59, 30}), At({2026, 12, 9}, {0, 0, 30})},
      {"just after one due second to just before another", At({2026, 12, 9}, {12, 0, 1}),
       At({2026, 12, 9}, {12, 9, 59})},
      {"from one due second to another", At({2026, 12, 9}, {12, 0, 0}), At({2026, 12, 9}, {12, 10, 0})},
      {"across the year's end", At({2026, 12, 31}, {23, 59, 59}), At({2027, 1, 1}, {0, 0, 1})},
  };
  for (const WeekLocale* locale : {&kMondayFirst, &kSundayFirst}) {
    for (const auto& span : kSpans) {
      SCOPED_TRACE(testing::Message() << span.what << (locale == &kMondayFirst ? ", Monday first" : ", Sunday first"));
      EXPECT_EQ(Seconds(DueBetween(MixedEntries(*locale), span.first, span.last)),
                Seconds(DueSecondBySecond(MixedEntries(*locale), span.first, span.last)));
    }
  }
}

TEST(MissedFiringsTest, FromThePreviousRunToTheCatchUpWindowAtMostAWeekBack) {
  const LocalDateTime now = At({2026, 12, 9}, {12, 0, 0});
  const std::int64_t nowSerial = SerialSecond(now);
  // One entry a second around each bound: before, at and after it.
  auto around = [](std::int64_t serial) {
    std::vector<SavedCommand> entries;
    for (int k = -1; k <= 1; ++k) {
      const LocalDateTime moment = FromSerialSecond(serial + k);
      entries.push_back(Entry(static_cast<EntryId>(k + 2), FormatDate(moment.date), FormatTime(moment.time)));
    }
    return entries;
  };
  const struct {
    const char* what;
    std::int64_t since;
    std::int64_t boundary;
    std::vector<EntryId> missed;
  } kCases[] = {
      // Due exactly at the previous run's last moment: that run saw it.
      {"the previous run's end", nowSerial - 3600, nowSerial - 3600, {3}},
      // The clock catches up on the sixty seconds before now.
      {"the catch-up window", nowSerial - 3600, nowSerial - kCatchUpSeconds - 1, {1, 2}},
      {"seven days back", nowSerial - 30 * 86400, nowSerial - kMissedLookBackSeconds, {2, 3}},
      {"a previous run later than now", nowSerial + 60, nowSerial - 3600, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<EntryId> ids;
    for (const Firing& firing :
         MissedFirings(around(c.boundary), FromSerialSecond(c.since), now)) {
      ids.push_back(firing.id);
    }
    EXPECT_EQ(ids, c.missed);
  }
}

TEST(MissedFiringsTest, AWeekOfADailyAndAWeeklyEntryComesInTimeOrder) {
  const std::vector<SavedCommand> entries = {Entry(1, L"EVERY DAY", L"08:00:00"), Entry(2, L"FRIDAY", L"07:00:00")};
  const auto missed = MissedFirings(entries, At({2026, 11, 1}, {0, 0, 0}), At({2026, 12, 9}, {12, 0, 0}));
  std::vector<std::wstring> texts;
  for (const Firing& firing : missed) {
    texts.push_back(std::to_wstring(firing.id) + L" " + FormatDate(firing.second.date) + L" " +
                    FormatTime(firing.second.time));
  }
  EXPECT_EQ(texts, (std::vector<std::wstring>{
                       L"1 2026-12-03 08:00:00", L"2 2026-12-04 07:00:00", L"1 2026-12-04 08:00:00",
                       L"1 2026-12-05 08:00:00", L"1 2026-12-06 08:00:00", L"1 2026-12-07 08:00:00",
                       L"1 2026-12-08 08:00:00", L"1 2026-12-09 08:00:00"}));
}

struct NextCase {
  const char* what;
  SavedCommand entry;
  LocalDateTime from;
  std::optional<LocalDateTime> next;
};

TEST(NextFiringTest, EachKindOfEntryFiresNextWhereTheRuleSays) {
  // From Wednesday 2026-12-09 at 12:00:00.
  const LocalDateTime noon = At({2026, 12, 9}, {12, 0, 0});
  const NextCase kCases[] = {
      {"every day, later today", Entry(1, L"EVERY DAY", L"18:00:00"), noon, At({2026, 12, 9}, {18, 0, 0})},
      {"every day, this very second", Entry(1, L"EVERY DAY", L"12:00:00"), noon, noon},
      {"every day, a second ago", Entry(1, L"EVERY DAY", L"11:59:59"), noon, At({2026, 12, 10}, {11, 59, 59})},
      {"every day from the last second of a day", Entry(1, L"EVERY DAY", L"23:59:59"),
       At({2026, 12, 31}, {23, 59, 59}), At({2026, 12, 31}, {23, 59, 59})},
      {"every day, just past the last second of a day", Entry(1, L"EVERY DAY", L"23:59:59"),
       At({2027, 1, 1}, {0, 0, 0}), At({2027, 1, 1}, {23, 59, 59})},
      {"midnight from the last second of a day", Entry(1, L"EVERY DAY", L"00:00:00"),
       At({2026, 12, 31}, {23, 59, 59}), At({2027, 1, 1}, {0, 0, 0})},
      {"weekly, later today", Entry(1, L"WEDNESDAY", L"13:00:00"), noon, At({2026, 12, 9}, {13, 0, 0})},
      {"weekly, earlier today: next week", Entry(1, L"WEDNESDAY", L"11:00:00"), noon,
       At({2026, 12, 16}, {11, 0, 0})},
      {"weekly, tomorrow", Entry(1, L"THURSDAY", L"00:00:00"), noon, At({2026, 12, 10}, {0, 0, 0})},
      {"weekly, on Tuesday", Entry(1, L"TUESDAY", L"12:00:00"), noon, At({2026, 12, 15}, {12, 0, 0})},
      {"weekly, a label no day of the week has", Entry(1, L"MITTWOCH", L"12:00:00"), noon, std::nullopt},
      {"dated, later today", Entry(1, L"2026-12-09", L"12:00:01"), noon, At({2026, 12, 9}, {12, 0, 1})},
      {"dated, a second in the past", Entry(1, L"2026-12-09", L"11:59:59"), noon, std::nullopt},
      {"dated, a day in the past", Entry(1, L"2026-12-08", L"18:00:00"), noon, std::nullopt},
      {"dated, years ahead", Entry(1, L"2031-02-28", L"08:00:00"), noon, At({2031, 2, 28}, {8, 0, 0})},
      {"dated, a day that does not exist", Entry(1, L"2027-02-29", L"08:00:00"), noon, std::nullopt},
      {"dated in another form", Entry(1, L"16.12.2026", L"08:00:00"), noon, std::nullopt},
      {"a time in another form", Entry(1, L"EVERY DAY", L"8:00:00"), noon, std::nullopt},
      {"unticked", Entry(1, L"EVERY DAY", L"18:00:00", false), noon, std::nullopt},
  };
  for (const NextCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const auto next = FindNextFiring({c.entry}, c.from);
    ASSERT_EQ(next.has_value(), c.next.has_value());
    if (next) {
      EXPECT_EQ(next->second, *c.next);
    }
  }
}

TEST(NextFiringTest, TheEarliestEntryWinsAndTheFirstInTheListOnATie) {
  const LocalDateTime noon = At({2026, 12, 9}, {12, 0, 0});
  const std::vector<SavedCommand> entries = {Entry(1, L"2026-12-12", L"08:00:00"), Entry(2, L"EVERY DAY", L"09:00:00"),
                                             Entry(3, L"THURSDAY", L"09:00:00"), Entry(4, L"EVERY DAY", L"11:00:00"),
                                             Entry(5, L"EVERY DAY", L"13:00:00", false)};
  const auto next = FindNextFiring(entries, noon);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->id, 2u);
  EXPECT_EQ(next->name, L"Entry 2");
  EXPECT_EQ(next->second, At({2026, 12, 10}, {9, 0, 0}));
  EXPECT_FALSE(FindNextFiring({}, noon));
}

TEST(NextFiringTipTest, SaysWhenAndShortensALongNameSoThatTheTimeShows) {
  const CivilDate today{2026, 12, 31};
  const auto at8 = [&](std::wstring name) { return NextFiring{1, std::move(name), At(today, {8, 0, 0})}; };
  // Room for a name of four characters.
  const std::size_t four = std::wstring(L"Cuelark: next  today 08:00:00").size() + 4;
  const struct {
    std::optional<NextFiring> next;
    std::size_t maxLength;
    std::wstring tip;
  } kCases[] = {
      {NextFiring{1, L"Morning", At(today, {23, 59, 59})}, 127, L"Cuelark: next Morning today 23:59:59"},
      {NextFiring{1, L"Morning", At({2027, 1, 1}, {0, 0, 0})}, 127, L"Cuelark: next Morning tomorrow 00:00:00"},
      {NextFiring{1, L"Morning", At({2027, 1, 2}, {7, 5, 0})}, 127, L"Cuelark: next Morning 2027-01-02 07:05:00"},
      {at8(L""), 127, L"Cuelark: next  today 08:00:00"},
      {std::nullopt, 127, L"Cuelark: nothing scheduled"},
      {at8(L"abcd"), four, L"Cuelark: next abcd today 08:00:00"},
      {at8(L"abcde"), four, L"Cuelark: next abc\u2026 today 08:00:00"},
      // A surrogate pair is kept whole.
      {at8(std::wstring(L"ab") + wchar_t(0xD83C) + wchar_t(0xDFB5) + L"cd"), four, L"Cuelark: next ab\u2026 today 08:00:00"},
  };
  for (const auto& c : kCases) EXPECT_EQ(NextFiringTip(c.next, today, c.maxLength), c.tip);
}

}  // namespace
}  // namespace cuelark
