#include "scheduler/core/Schedule.h"

#include <gtest/gtest.h>

namespace cuelark {
namespace {

SavedCommand Named(const wchar_t* name) {
  SavedCommand entry;
  entry.name = name;
  return entry;
}

TEST(ScheduleTest, RemovingAnEntryMovesTheOnesBehindItUpAndKeepsTheirIds) {
  Schedule schedule;
  const EntryId first = schedule.Append(Named(L"one"));
  const EntryId second = schedule.Append(Named(L"two"));
  const EntryId third = schedule.Append(Named(L"three"));
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);

  EXPECT_TRUE(schedule.Remove(second));
  EXPECT_FALSE(schedule.Remove(second));
  ASSERT_EQ(schedule.Entries().size(), 2u);
  EXPECT_EQ(schedule.IndexOf(first), 0u);
  EXPECT_EQ(schedule.IndexOf(third), 1u);
  EXPECT_EQ(schedule.IndexOf(second), std::nullopt);
  ASSERT_NE(schedule.Find(third), nullptr);
  EXPECT_EQ(schedule.Find(third)->name, L"three");
  EXPECT_EQ(schedule.Find(second), nullptr);
}

TEST(ScheduleTest, IdsHeldAcrossAReloadNeverNameANewEntry) {
  Schedule schedule;
  const EntryId old = schedule.Append(Named(L"old"));
  schedule.Assign({Named(L"a"), Named(L"b")});
  const EntryId appended = schedule.Append(Named(L"c"));
  EXPECT_EQ(schedule.Find(old), nullptr);
  EXPECT_FALSE(schedule.SetChecked(old, false));
  const std::vector<SavedCommand>& entries = schedule.Entries();
  EXPECT_NE(entries[0].id, entries[1].id);
  EXPECT_EQ(entries[2].id, appended);
  for (const SavedCommand& entry : entries) EXPECT_NE(entry.id, old);
  EXPECT_TRUE(schedule.SetChecked(entries[1].id, false));
  EXPECT_TRUE(entries[0].isChecked);
  EXPECT_FALSE(entries[1].isChecked);
}

}  // namespace
}  // namespace cuelark
