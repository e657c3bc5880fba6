// The versions of a file that brevoni_writer writes: version v is a fixed
// function of v, so a test can tell whether a surviving file is whole.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace brevoni::testing {

inline constexpr char kWriterSection[] = "Saved Commands";

// Key/value pairs of version v; sizes vary so that versions differ in length.
inline std::vector<std::pair<std::string, std::string>> WriterVersion(int v) {
  std::vector<std::pair<std::string, std::string>> keys{{"version", std::to_string(v)}};
  const int entries = 300 + (v * 37) % 200;
  for (int entry = 1; entry <= entries; ++entry) {
    keys.emplace_back("command" + std::to_string(entry),
                      "C:\\Music\\v" + std::to_string(v) + "\\" + std::string(static_cast<std::size_t>(entry % 50), 'x') +
                          ".mp3");
  }
  return keys;
}

}  // namespace brevoni::testing
