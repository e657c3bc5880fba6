// The stand-in's log format, which other tests read to see what a player
// received.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "tools/player/StandInLog.h"

namespace cuelark::standin {
namespace {

LoggedMessage Message(LoggedKind kind) {
  LoggedMessage message;
  message.localTime = "2026-12-06 21:06:49.123456";
  message.qpc = 81234567890;
  message.kind = kind;
  return message;
}

TEST(StandInLogTest, EveryKindReadsBackAsWritten) {
  std::vector<LoggedMessage> messages;
  LoggedMessage started = Message(LoggedKind::kStarted);
  started.processId = 4242;
  messages.push_back(started);
  messages.push_back(Message(LoggedKind::kCreated));
  LoggedMessage user = Message(LoggedKind::kUser);
  user.wParam = -1;
  user.lParam = 121;
  user.answer = 0;
  messages.push_back(user);
  LoggedMessage hung = user;
  hung.answer.reset();
  messages.push_back(hung);
  LoggedMessage copy = Message(LoggedKind::kCopyData);
  copy.lParam = 5431104;
  copy.dwData = 100;
  copy.cbData = 4;
  copy.data = {0x43, 0xFC, 0x7F, 0x00};
  copy.answer = 1;
  messages.push_back(copy);
  LoggedMessage empty = copy;
  empty.cbData = 0;
  empty.data.clear();
  messages.push_back(empty);
  LoggedMessage command = Message(LoggedKind::kCommand);
  command.wParam = 40045;
  command.answer = 0;
  messages.push_back(command);

  for (const LoggedMessage& message : messages) {
    const std::string line = FormatStandInLogLine(message);
    SCOPED_TRACE(line);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(ParseStandInLogLine(line), message);
  }
}

// Other engineers' tests read these fields; the names and forms must hold.
TEST(StandInLogTest, ALineReadsAsDocumented) {
  const auto message = ParseStandInLogLine(
      "2026-12-06 21:06:49.000017 qpc=99 kind=COPYDATA wParam=0 lParam=77 dwData=100 cbData=3 data=61ff00 answer=1");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->localTime, "2026-12-06 21:06:49.000017");
  EXPECT_EQ(message->qpc, 99);
  EXPECT_EQ(message->kind, LoggedKind::kCopyData);
  EXPECT_EQ(message->lParam, 77);
  EXPECT_EQ(message->dwData, 100u);
  EXPECT_EQ(message->cbData, 3u);
  EXPECT_EQ(message->data, (std::vector<std::uint8_t>{0x61, 0xFF, 0x00}));
  EXPECT_EQ(message->answer, 1);
}

TEST(StandInLogTest, MalformedLinesAreRejected) {
  const char* const lines[] = {
      "",
      "2026-12-06 21:06:49 qpc=1 kind=USER",                  // no microseconds
      "2026-12-06 21:06:49.123456 kind=USER",                 // no counter
      "2026-12-06 21:06:49.123456 qpc=1",                     // no kind
      "2026-12-06 21:06:49.123456 qpc=1 kind=POST",           // unknown kind
      "2026-12-06 21:06:49.123456 qpc=1 kind=USER size=2",    // unknown field
      "2026-12-06 21:06:49.123456 qpc=1 kind=USER wParam=x",  // not a number
      "2026-12-06 21:06:49.123456 qpc=1 kind=USER wParam=",   // empty number
      "2026-12-06 21:06:49.123456 qpc=1 kind=COPYDATA data=abc",  // half a byte
      "2026-12-06 21:06:49.123456 qpc=1 kind=COPYDATA data=zz",
      "2026-12-06 21:06:49.123456 qpc=1 kind=USER ",          // trailing space
      "2026-12-06 21:06:49.123456 qpc=1  kind=USER",          // double space
  };
  for (const char* line : lines) {
    EXPECT_FALSE(ParseStandInLogLine(line)) << line;
  }
}

TEST(StandInLogTest, ReadingTakesCompleteLinesOnly) {
  const cuelark::test::TempFolder folder;
  const std::filesystem::path log = folder / L"standin.log";
  EXPECT_TRUE(ReadStandInLog(log).empty()) << "no log yet";

  LoggedMessage user = Message(LoggedKind::kUser);
  user.answer = 5;
  const std::string line = FormatStandInLogLine(user);
  cuelark::test::WriteFileText(log, line + "\n" + line + "\r\n" + line.substr(0, 20));
  EXPECT_EQ(ReadStandInLog(log), (std::vector<LoggedMessage>{user, user}));

  cuelark::test::WriteFileText(log, line + "\ngarbage\n");
  EXPECT_THROW(ReadStandInLog(log), std::runtime_error);

  LoggedMessage created = Message(LoggedKind::kCreated);
  EXPECT_EQ(PlayerMessages({created, user, created}), std::vector<LoggedMessage>{user});
}

}  // namespace
}  // namespace cuelark::standin
