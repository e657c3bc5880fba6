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
  EXPECT_EQ(schedule.Find(old), nullptr);
  const EntryId appended = schedule.Append(Named(L"c"));
  EXPECT_NE(appended, old);
  std::vector<EntryId> ids;
  for (const SavedCommand& entry : schedule.Entries()) ids.push_back(entry.id);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_NE(ids[0], old);
  EXPECT_NE(ids[1], old);
  EXPECT_EQ(ids.back(), appended);
}

TEST(ScheduleTest, CheckMarksChangeOnlyTheNamedEntry) {
  Schedule schedule;
  const EntryId first = schedule.Append(Named(L"one"));
  const EntryId second = schedule.Append(Named(L"two"));
  EXPECT_TRUE(schedule.SetChecked(second, false));
  EXPECT_TRUE(schedule.Find(first)->isChecked);
  EXPECT_FALSE(schedule.Find(second)->isChecked);
  schedule.Remove(second);
  EXPECT_FALSE(schedule.SetChecked(second, true));
}

}  // namespace
}  // namespace cuelark
