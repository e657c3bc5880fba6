// Saved commands as the store writes them, for tests that start from a file
// of their own or compare with one.
#pragma once

#include <string>

namespace cuelark::test {

// The six lines of entry `number`.
inline std::string EntryText(int number, const std::string& name, const std::string& command,
                             const std::string& date, const std::string& time, bool checked = true,
                             bool remove = false) {
  const std::string n = std::to_string(number);
  return "name" + n + "=" + name + "\r\ncommand" + n + "=" + command + "\r\nstartDate" + n + "=" + date +
         "\r\nstartTime" + n + "=" + time + "\r\nisChecked" + n + "=" + (checked ? "True" : "False") +
         "\r\nremWhenDone" + n + "=" + (remove ? "1" : "0") + "\r\n";
}

// A store of these entries and their count.
inline std::string StoreText(const std::string& entries, int count) {
  return "[Saved Commands]\r\n" + entries + "[Total Count]\r\ncount=" + std::to_string(count) + "\r\n";
}

}  // namespace cuelark::test
