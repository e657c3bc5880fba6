// Any bytes as an INI file: a rewrite must keep what every reader sees, and
// a rewritten file must come out of a second rewrite unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "inicontrol/engine/IniDocument.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using brevoni::IniDocument;
using cuelark::fuzz::Require;

// Section and key names to look up: every line's candidate names, read
// loosely. Lookups trim names themselves, and a name that turns out not to
// exist must then be missing from both documents alike.
std::vector<std::pair<std::string, std::string>> ProbeNames(std::string_view bytes) {
  std::vector<std::pair<std::string, std::string>> names;
  std::string section;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    const std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    const std::size_t open = line.find('[');
    const std::size_t close = line.rfind(']');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
      section = std::string(line.substr(open + 1, close - open - 1));
      names.emplace_back(section, "");
    }
    names.emplace_back(section, std::string(line.substr(0, line.find('='))));
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniDocument original = IniDocument::Parse(bytes);
  const std::string written = original.Serialize();
  const IniDocument reread = IniDocument::Parse(written);
  Require(reread.Serialize() == written, "a rewritten file changes on the next rewrite");
  for (const std::string_view source : {bytes, std::string_view(written)}) {
    for (const auto& [section, key] : ProbeNames(source)) {
      Require(original.Get(section, key) == reread.Get(section, key), "a value reads differently after a rewrite");
    }
  }
  return 0;
}
