#include "inicontrol/engine/IniDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace brevoni {
namespace {

std::string Normalised(std::string_view text) { return IniDocument::Parse(text).Serialize(); }

struct ReadCase {
  const char* section;
  const char* key;
  const char* expected;  // nullptr: not found
};

TEST(IniDocument, ReadsValuesAsTheProfileFunctionsDo) {
  const IniDocument doc = IniDocument::Parse(
      "lead=before any section\r\n"
      "[Position]\r\n"
      "Left=120\r\n"
      "  Top  =   45  \r\n"
      "Empty=\r\n"
      "NoEquals\r\n"
      "; note=commented\r\n"
      "Quoted=\"a b\"\r\n"
      "Single='c'\r\n"
      "Mixed=\"d'\r\n"
      "Lone=\"\r\n"
      "Bracket=[ Not Found ] stays\r\n"
      "Equals=a=b\r\n"
      "Left=second Left is shadowed\r\n"
      "[ Spaced Name ]\n"
      "k=unix line end\n"
      "[Position]\r\n"
      "Left=shadowed section\r\n"
      "[Tail] trailing text\r\n"
      "t=1\r\n");
  const ReadCase cases[] = {
      {"Position", "Left", "120"},
      {"position", "LEFT", "120"},
      {"  Position ", " Left ", "120"},
      {"Position", "Top", "45"},
      {"Position", "Empty", ""},
      {"Position", "NoEquals", nullptr},
      {"Position", "; note", "commented"},
      {"Position", "Quoted", "a b"},
      {"Position", "Single", "c"},
      {"Position", "Mixed", "\"d'"},
      {"Position", "Lone", "\""},
      {"Position", "Bracket", "[ Not Found ] stays"},
      {"Position", "Equals", "a=b"},
      {"Spaced Name", "k", "unix line end"},
      {"Tail", "t", "1"},
      {"", "lead", "before any section"},
      {"Position", "Missing", nullptr},
      {"Missing", "Left", nullptr},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    auto value = doc.Get(c.section, c.key);
    if (c.expected == nullptr) {
      EXPECT_FALSE(value.has_value()) << *value;
    } else {
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(*value, c.expected);
    }
  }
}

TEST(IniDocument, LetterCaseFoldsOnlyForAsciiLetters) {
  const IniDocument doc = IniDocument::Parse("[\xC9t\xE9]\r\nK\xC9=1\r\n");
  EXPECT_EQ(doc.Get("\xC9T\xE9", "k\xC9").value_or("-"), "1");
  EXPECT_FALSE(doc.Get("\xE9t\xE9", "K\xC9").has_value());
}

struct NormaliseCase {
  const char* input;
  const char* output;
};

TEST(IniDocument, SerialisingNormalisesTheWholeFile) {
  const NormaliseCase cases[] = {
      {"", ""},
      {"\r\n\r\n  \r\n", ""},
      {"[a]\nk=v", "[a]\r\nk=v\r\n"},
      {"  [ a ]  \r\n  k  =  v  \r\n\r\n[b]\r\n", "[a]\r\nk=v\r\n[b]\r\n"},
      {"; comment\r\n[a]\r\n", "; comment\r\n[a]\r\n"},
      {"[a]\r\n=one\r\n=two\r\nx\r\n=three\r\n", "[a]\r\n=one\r\nx\r\n=three\r\n"},
      {"[broken\r\nk=v\r\n", "[broken\r\nk=v\r\n"},
      {"[a]]x\r\n", "[a]]\r\n"},
      {"[]\r\nk=v\r\n", "[]\r\nk=v\r\n"},
      {"[a]\r\nz=2\r\n[]\r\nk=v\r\n", "[a]\r\nz=2\r\n[]\r\nk=v\r\n"},
      {"\x1a\r\n[a]\r\nk=v\x1a\r\n", "[a]\r\nk=v\r\n"},
      {"[a]\rk=v\r[b]\r", "[a]\r\nk=v\r\n[b]\r\n"},
      {"\xEF\xBB\xBF[a]\nk=v", "\xEF\xBB\xBF[a]\r\nk=v\r\n"},
      {"\r\n\xEF\xBB\xBFk=v", "\r\n\xEF\xBB\xBFk=v\r\n"},
      {"[a]\r\nk=\xA0v\xA0\r\n", "[a]\r\nk=\xA0v\xA0\r\n"},
  };
  for (const NormaliseCase& c : cases) {
    EXPECT_EQ(Normalised(c.input), c.output) << "input: " << c.input;
  }
}

TEST(IniDocument, SetKeepsAnExistingKeysLineAndSpellingAndAppendsNewKeysAndSections) {
  IniDocument doc = IniDocument::Parse("[Position]\r\nLeft=1\r\nTop=2\r\n[Other]\r\nx=y\r\n");
  EXPECT_TRUE(doc.Set("position", "left", "99"));
  EXPECT_TRUE(doc.Set("Position", "new", "3"));
  EXPECT_TRUE(doc.Set("c", "k", "4"));
  EXPECT_EQ(doc.Serialize(), "[Position]\r\nLeft=99\r\nTop=2\r\nnew=3\r\n[Other]\r\nx=y\r\n[c]\r\nk=4\r\n");
}

TEST(IniDocument, SetDropsLeadingBlanksOfTheValueAndReportsNoChangeForTheSameValue) {
  IniDocument doc;
  EXPECT_TRUE(doc.Set("s", "k", "  v"));
  EXPECT_EQ(doc.Serialize(), "[s]\r\nk=v\r\n");
  EXPECT_FALSE(doc.Set("S", "K", "v"));
  EXPECT_TRUE(doc.Set("s", "k", "V"));
}

TEST(IniDocument, SetGivesAValueToAKeyThatHadNone) {
  IniDocument doc = IniDocument::Parse("[s]\r\nbare\r\n");
  EXPECT_TRUE(doc.Set("s", "bare", ""));
  EXPECT_EQ(doc.Serialize(), "[s]\r\nbare=\r\n");
  EXPECT_EQ(doc.Get("s", "bare").value_or("-"), "");
}

TEST(IniDocument, ValuesOfAnyLengthRoundTrip) {
  for (std::size_t length : {511u, 512u, 600u, 5000u, 100000u}) {
    std::string value(length, 'x');
    value.back() = 'y';
    IniDocument doc;
    doc.Set("s", "k", value);
    EXPECT_EQ(IniDocument::Parse(doc.Serialize()).Get("s", "k").value_or(""), value) << length;
  }
}

TEST(IniDocument, DeleteKeyRemovesTheFirstMatchAndUncoversADuplicate) {
  IniDocument doc = IniDocument::Parse("[s]\r\nk=1\r\nk=2\r\n[t]\r\nk=3\r\n");
  EXPECT_TRUE(doc.DeleteKey("S", "K"));
  EXPECT_EQ(doc.Get("s", "k").value_or("-"), "2");
  EXPECT_TRUE(doc.DeleteKey("s", "k"));
  EXPECT_FALSE(doc.DeleteKey("s", "k"));
  EXPECT_EQ(doc.Serialize(), "[s]\r\n[t]\r\nk=3\r\n");
}

TEST(IniDocument, DeleteKeyLooksIntoLaterSectionsOfTheSameName) {
  IniDocument doc = IniDocument::Parse("[s]\r\na=1\r\n[s]\r\nk=2\r\n");
  EXPECT_TRUE(doc.DeleteKey("s", "k"));
  EXPECT_EQ(doc.Serialize(), "[s]\r\na=1\r\n[s]\r\n");
}

TEST(IniDocument, TheUnnamedSectionCanBeDeletedAndComesBackAtTheStart) {
  IniDocument doc = IniDocument::Parse("lead=1\r\n[a]\r\nk=1\r\n[]\r\nlater=1\r\n");
  EXPECT_TRUE(doc.DeleteSection(""));
  EXPECT_FALSE(doc.DeleteSection(""));
  EXPECT_TRUE(doc.Set("", "lead", "2"));
  EXPECT_EQ(doc.Serialize(), "lead=2\r\n[a]\r\nk=1\r\n");
  IniDocument missing;
  EXPECT_TRUE(missing.Set("a", "k", "1"));
  EXPECT_TRUE(missing.Set("", "lead", "2"));
  EXPECT_EQ(missing.Serialize(), "lead=2\r\n[a]\r\nk=1\r\n");
}

TEST(IniDocument, AMissingFileHasNoSectionToDelete) {
  IniDocument missing;
  EXPECT_FALSE(missing.DeleteSection(""));
  EXPECT_TRUE(IniDocument::Parse("").DeleteSection(""));
}

TEST(IniDocument, DeleteSectionRemovesEverySectionOfThatName) {
  IniDocument doc = IniDocument::Parse("[s]\r\na=1\r\n[t]\r\nb=2\r\n[S]\r\nc=3\r\n");
  EXPECT_TRUE(doc.DeleteSection("s"));
  EXPECT_EQ(doc.Serialize(), "[t]\r\nb=2\r\n");
  EXPECT_FALSE(doc.Get("s", "c").has_value()) << "no duplicate comes back";
  EXPECT_FALSE(doc.DeleteSection("s"));
  EXPECT_FALSE(doc.DeleteSection("missing"));
}

// A document is kept and edited in place of reading its file again: after any
// run of edits it must read as the file it writes. Many short runs, so that
// early deletions meet the duplicates before a section's deletion takes them.
TEST(IniDocument, AfterAnyEditsTheDocumentReadsAsItsWrittenFile) {
  const char* const sections[] = {"", "s", "S", "t", "u"};
  const char* const keys[] = {"", "k", "K", "j", "x"};
  const std::optional<const char*> starts[] = {
      std::nullopt, "",
      "lead=0\r\n[s]\r\nk=1\r\n=n\r\nk=2\r\nj=3\r\n=m\r\nK=8\r\n[t]\r\nk=4\r\n[S]\r\nk=5\r\nx=6\r\n[]\r\nk=7\r\n"};
  std::mt19937 random(20240611);
  for (const auto& start : starts) {
    for (int run = 0; run < 100; ++run) {
      IniDocument doc = start ? IniDocument::Parse(*start) : IniDocument();
      std::string edits;
      for (int step = 0; step < 12; ++step) {
        const char* section = sections[random() % std::size(sections)];
        const char* key = keys[random() % std::size(keys)];
        switch (random() % 4) {
          case 0:
            doc.DeleteKey(section, key);
            edits += std::string(" delete [") + section + "] " + key;
            break;
          case 1:
            doc.DeleteSection(section);
            edits += std::string(" delete [") + section + "]";
            break;
          default:
            doc.Set(section, key, std::to_string(step));
            edits += std::string(" set [") + section + "] " + key;
        }
        const IniDocument written = IniDocument::Parse(doc.Serialize());
        for (const char* s : sections) {
          for (const char* k : keys) {
            ASSERT_EQ(doc.Get(s, k), written.Get(s, k))
                << "[" << s << "] " << k << " from " << start.value_or("no file") << " after" << edits;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace brevoni
