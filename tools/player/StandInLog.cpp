#include "tools/player/StandInLog.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace cuelark::standin {
namespace {

constexpr std::array<std::pair<LoggedKind, std::string_view>, 5> kKindNames{{
    {LoggedKind::kStarted, "STARTED"},
    {LoggedKind::kCreated, "CREATED"},
    {LoggedKind::kUser, "USER"},
    {LoggedKind::kCopyData, "COPYDATA"},
    {LoggedKind::kCommand, "COMMAND"},
}};

// "YYYY-MM-DD HH:MM:SS.ffffff": checked by shape only; the stand-in is the
// only writer.
constexpr std::string_view kTimeShape = "dddd-dd-dd dd:dd:dd.dddddd";

std::string_view KindName(LoggedKind kind) {
  return std::find_if(kKindNames.begin(), kKindNames.end(),
                      [kind](const auto& entry) { return entry.first == kind; })
      ->second;
}

std::optional<LoggedKind> KindFromName(std::string_view name) {
  const auto found = std::find_if(kKindNames.begin(), kKindNames.end(),
                                  [name](const auto& entry) { return entry.second == name; });
  if (found == kKindNames.end()) return std::nullopt;
  return found->first;
}

bool HasTimeShape(std::string_view text) {
  if (text.size() != kTimeShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kTimeShape[i] == 'd' ? !digit : text[i] != kTimeShape[i]) return false;
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParseHex(std::string_view text, std::vector<std::uint8_t>& bytes) {
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return true;
}

bool IsWindowMessage(LoggedKind kind) {
  return kind == LoggedKind::kUser || kind == LoggedKind::kCopyData ||
         kind == LoggedKind::kCommand;
}

}  // namespace

std::string FormatStandInLogLine(const LoggedMessage& message) {
  std::string line = message.localTime;
  line += " qpc=" + std::to_string(message.qpc);
  line += " kind=";
  line += KindName(message.kind);
  if (message.kind == LoggedKind::kStarted) {
    line += " pid=" + std::to_string(message.processId);
  }
  if (IsWindowMessage(message.kind)) {
    line += " wParam=" + std::to_string(message.wParam);
    line += " lParam=" + std::to_string(message.lParam);
  }
  if (message.kind == LoggedKind::kCopyData) {
    line += " dwData=" + std::to_string(message.dwData);
    line += " cbData=" + std::to_string(message.cbData);
    line += " data=";
    constexpr std::string_view kHex = "0123456789abcdef";
    for (const std::uint8_t byte : message.data) {
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    }
  }
  if (message.answer) line += " answer=" + std::to_string(*message.answer);
  return line;
}

std::optional<LoggedMessage> ParseStandInLogLine(std::string_view line) {
  if (line.size() < kTimeShape.size() || !HasTimeShape(line.substr(0, kTimeShape.size()))) {
    return std::nullopt;
  }
  LoggedMessage message;
  message.localTime = std::string(line.substr(0, kTimeShape.size()));
  bool haveQpc = false;
  bool haveKind = false;
  std::string_view rest = line.substr(kTimeShape.size());
  while (!rest.empty()) {
    if (rest.front() != ' ') return std::nullopt;
    rest.remove_prefix(1);
    const std::string_view field = rest.substr(0, rest.find(' '));
    rest.remove_prefix(field.size());
    const auto equals = field.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = field.substr(0, equals);
    const std::string_view value = field.substr(equals + 1);
    bool ok = false;
    if (key == "qpc") {
      ok = haveQpc = ParseNumber(value, message.qpc);
    } else if (key == "kind") {
      const auto kind = KindFromName(value);
      ok = haveKind = kind.has_value();
      if (kind) message.kind = *kind;
    } else if (key == "pid") {
      ok = ParseNumber(value, message.processId);
    } else if (key == "wParam") {
      ok = ParseNumber(value, message.wParam);
    } else if (key == "lParam") {
      ok = ParseNumber(value, message.lParam);
    } else if (key == "dwData") {
      ok = ParseNumber(value, message.dwData);
    } else if (key == "cbData") {
      ok = ParseNumber(value, message.cbData);
    } else if (key == "data") {
      ok = ParseHex(value, message.data);
    } else if (key == "answer") {
      std::int64_t answer = 0;
      ok = ParseNumber(value, answer);
      message.answer = answer;
    }
    if (!ok) return std::nullopt;
  }
  if (!haveQpc || !haveKind) return std::nullopt;
  return message;
}

std::vector<LoggedMessage> ReadStandInLog(const std::filesystem::path& path) {
  std::vector<LoggedMessage> messages;
  std::ifstream file(path, std::ios::binary);
  if (!file) return messages;
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto message = ParseStandInLogLine(line);
    if (!message) throw std::runtime_error("unreadable stand-in log line: " + std::string(line));
    messages.push_back(std::move(*message));
  }
  return messages;
}

std::vector<LoggedMessage> PlayerMessages(const std::vector<LoggedMessage>& log) {
  std::vector<LoggedMessage> messages;
  std::copy_if(log.begin(), log.end(), std::back_inserter(messages),
               [](const LoggedMessage& message) { return IsWindowMessage(message.kind); });
  return messages;
}

}  // namespace cuelark::standin
