// The control against kernel32's profile functions on a corpus of awkward
// files: every read must give the same text and every write the same bytes.
#include <optional>
#include <vector>

#include "Support.h"

namespace brevoni::testing {
namespace {

struct CorpusFile {
  const char* name;
  std::optional<std::string> bytes;  // nullopt: the file does not exist
  // The platform writes a "[]" section without its header line, so that its
  // keys move into the section above; the control keeps the header.
  bool writtenAlike = true;
  // Where this kernel32 is not what Windows does, the control follows
  // Windows: the keys of a "[]" section are what an empty section name
  // reads, and a file with a UTF-8 signature holds UTF-8 text, which the
  // control decodes (and writes back in the code page once it holds it)
  // where these functions pass the bytes through.
  bool readAlike = true;
};

std::vector<CorpusFile> Corpus() {
  return {
      {"missing", std::nullopt},
      {"empty", ""},
      {"crlf", "[a]\r\nk=1\r\nk2=2\r\n[b]\r\nk=3\r\n"},
      {"lf without final newline", "[a]\nk=1\n[b]\nk=3"},
      {"cr only", "[a]\rk=1\r[b]\rk=2\r"},
      {"comments", "; top=comment\r\n[a]\r\n; c=commented\r\nk=1\r\n# hash\r\n"},
      {"blank and odd lines",
       "\r\n\r\n  [ a ]  \r\n\r\n  k  =  1  \r\nnoeq\r\n=ev\r\n=ev2\r\n[bad\r\n\x1a\r\n[x] trailing\r\n"
       "q=\"quoted\"\r\nz='single'\r\nw=\"mixed'\r\nlone=\"\r\n[a]]b]\r\nk=2\r\n"},
      {"a section named empty", "lead=1\r\n[a]\r\nk=1\r\n[]\r\nafter=empty\r\nlead=2\r\n", false, false},
      {"tabs and spaces", "\t[a]\t\r\n\tk\t=\t1\t\r\n [ Sec One ] \r\n k1 = v1 \r\n"},
      {"duplicates", "[dup]\r\nk=1\r\nk=2\r\n[a]\r\nk=a\r\n[DUP]\r\nk=3\r\ndup=4\r\n"},
      {"keys before any section", "lead=1\r\nk=0\r\n[a]\r\nk=1\r\n"},
      {"long lines", "[a]\r\nlong=" + std::string(5000, 'x') + "\r\nk=" + std::string(600, 'y') + "\r\n"},
      {"bytes above 0x7F", "[Caf\xe9]\r\nk=\xe9t\xe9\r\nK\xc9=up\r\n[a]\r\nk=\xa0nbsp\xa0\r\n\xa0k2\xa0=v\r\n"},
      {"utf-8 signature", "\xEF\xBB\xBF[a]\r\nk=1\r\n[Caf\xC3\xA9]\r\nk=\xC3\xA9t\xC3\xA9\r\nk\xC3\xA9=\xE2\x82\xAC\r\n",
       false, false},
  };
}

const char* const kSections[] = {"", "a", "A", " a ", "b", "x", "dup", "Sec One", "sec one", "Caf\xe9", "CAF\xc9",
                                 "[bad", "missing"};
const char* const kKeys[] = {"", "k", "K", " k ", "k2", "k1", "dup", "noeq", "; top", "; c", "lead", "q", "z", "w",
                             "lone", "after", "long", "K\xc9", "k\xe9", "\xa0k2", "missing"};

struct Edit {
  const char* section;
  const char* key;    // nullptr: delete the section
  const char* value;  // nullptr: delete the key
};

const Edit kEdits[] = {
    {"a", "k", "new"},        {"A", "K", "1"},          {"a", "added", "  leading blanks"},
    {"a", "k", "trailing  "}, {"fresh", "n", "1"},      {" spaced ", " name ", "v"},
    {"", "lead", "2"},        {"Caf\xe9", "k", "\xe9"}, {"dup", "k", "changed"},
    {"a", "noeq", "v"},       {"a", "k", "\"q\""},      {"a", "k", nullptr},
    {"dup", "k", nullptr},    {"dup", "dup", nullptr},  {"missing", "k", nullptr},
    {"a", nullptr, nullptr},  {"dup", nullptr, nullptr}, {"", nullptr, nullptr},
    {"missing", nullptr, nullptr},
};

// Line ends and bytes above 0x7F escaped, for a failure message.
std::string Visible(const std::string& bytes) { return ::testing::PrintToString(bytes); }

// The count of mismatches and the first forty of them, for a failure message.
std::string Summary(const std::vector<std::string>& mismatches) {
  std::string text = std::to_string(mismatches.size()) + " mismatches, first ones:\n";
  for (std::size_t i = 0; i < mismatches.size() && i < 40; ++i) text += mismatches[i] + "\n";
  return text;
}

class Differential : public ControlTest {
 protected:
  std::filesystem::path Place(const std::string& name, const std::optional<std::string>& bytes) {
    // A new name for every file: the profile functions cache what they read.
    const auto file = folder / (std::to_wstring(++files) + L"-" + Wide(name) + L".ini");
    if (bytes) WriteBytes(file, *bytes);
    return file;
  }
  int files = 0;
};

TEST_F(Differential, ReadsMatchThePlatform) {
  std::vector<std::string> mismatches;
  std::vector<char> buffer(1 << 16);
  for (const CorpusFile& corpus : Corpus()) {
    if (!corpus.readAlike) continue;
    const auto file = Place(corpus.name, corpus.bytes);
    const std::string path = Narrow(file.native());
    for (const char* section : kSections) {
      for (const char* key : kKeys) {
        const DWORD length = GetPrivateProfileStringA(section, key, "[ Not Found ]", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), path.c_str());
        const std::string platform(buffer.data(), length);
        const std::string ours = Narrow(client::ReadINI(control.Get(), Wide(section), Wide(key), file.native()));
        if (platform != ours) {
          mismatches.push_back(std::string(corpus.name) + " [" + Visible(section) + "] " + Visible(key) +
                               ": platform \"" + Visible(platform) + "\", control \"" + Visible(ours) + "\"");
        }
      }
    }
  }
  EXPECT_TRUE(mismatches.empty()) << Summary(mismatches);
}

TEST_F(Differential, WritesProduceThePlatformsBytes) {
  std::vector<std::string> mismatches;
  for (const CorpusFile& corpus : Corpus()) {
    if (!corpus.writtenAlike) continue;
    for (const Edit& edit : kEdits) {
      const auto platformFile = Place(corpus.name, corpus.bytes);
      const auto controlFile = Place(corpus.name, corpus.bytes);
      // The control deletes every section of a name, the platform the first
      // one per call.
      std::string before;
      do {
        before = ReadBytes(platformFile);
        WritePrivateProfileStringA(edit.section, edit.key, edit.value, Narrow(platformFile.native()).c_str());
      } while (edit.key == nullptr && ReadBytes(platformFile) != before);
      if (edit.key == nullptr) {
        client::Call(control.Get(), kDispIdDeleteINI, {Wide(edit.section), L"", controlFile.native()});
      } else if (edit.value == nullptr) {
        client::Call(control.Get(), kDispIdDeleteINI, {Wide(edit.section), Wide(edit.key), controlFile.native()});
      } else {
        client::WriteINI(control.Get(), Wide(edit.section), Wide(edit.key), Wide(edit.value), controlFile.native());
      }
      const bool platformExists = std::filesystem::exists(platformFile);
      const bool controlExists = std::filesystem::exists(controlFile);
      const std::string platform = platformExists ? ReadBytes(platformFile) : "<no file>";
      const std::string ours = controlExists ? ReadBytes(controlFile) : "<no file>";
      if (platform != ours) {
        mismatches.push_back(std::string(corpus.name) + " [" + Visible(edit.section) + "] " +
                             Visible(edit.key ? edit.key : "<section>") + " = " +
                             Visible(edit.value ? edit.value : "<delete>") + ":\n  platform " + Visible(platform) +
                             "\n  control  " + Visible(ours));
      }
    }
  }
  EXPECT_TRUE(mismatches.empty()) << Summary(mismatches);
}

}  // namespace
}  // namespace brevoni::testing
