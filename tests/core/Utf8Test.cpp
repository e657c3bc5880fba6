#include "scheduler/core/Utf8.h"

#include <gtest/gtest.h>

namespace cuelark {
namespace {

struct Valid {
  const char* what;
  std::string utf8;
  std::u32string codePoints;
  std::u16string utf16;
};

// Written out by hand, not by the code under test.
const Valid kValid[] = {
    {"empty", "", U"", u""},
    {"ascii with tab and line end", "a\tb\r\n", U"a\tb\r\n", u"a\tb\r\n"},
    {"two bytes", "\xC3\xBC", U"\u00FC", u"\u00FC"},
    {"largest of two bytes", "\xDF\xBF", U"\u07FF", u"\u07FF"},
    {"three bytes", "\xE4\xB8\xAD", U"\u4E2D", u"\u4E2D"},
    {"just below the surrogates", "\xED\x9F\xBF", U"\uD7FF", u"\uD7FF"},
    {"largest of three bytes", "\xEF\xBF\xBF", U"\uFFFF", u"\uFFFF"},
    {"four bytes", "\xF0\x9F\x8E\xB5", U"\U0001F3B5", u"\U0001F3B5"},
    {"largest code point", "\xF4\x8F\xBF\xBF", U"\U0010FFFF", u"\U0010FFFF"},
    {"mixed", "C:\\M\xC3\xBCsik\\\xF0\x9F\x8E\xB5.mp3", U"C:\\M\u00FCsik\\\U0001F3B5.mp3",
     u"C:\\M\u00FCsik\\\U0001F3B5.mp3"},
};

TEST(Utf8Test, ValidTextRoundTripsInBothWidths) {
  for (const Valid& c : kValid) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeUtf8<char32_t>(c.utf8), c.codePoints);
    EXPECT_EQ(DecodeUtf8<char16_t>(c.utf8), c.utf16);
    EXPECT_EQ(EncodeUtf8<char32_t>(c.codePoints), c.utf8);
    EXPECT_EQ(EncodeUtf8<char16_t>(c.utf16), c.utf8);
  }
}

TEST(Utf8Test, BrokenBytesBecomeReplacementsAndTheRestSurvives) {
  const struct {
    const char* what;
    std::string utf8;
    std::u32string decoded;
  } kCases[] = {
      {"stray continuation byte", "a\x80z", U"a\uFFFDz"},
      {"sequence cut short by the end", "a\xE4\xB8", U"a\uFFFD\uFFFD"},
      {"sequence cut short by a plain byte", "\xE4z", U"\uFFFDz"},
      {"overlong slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
      {"overlong three bytes", "\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid lead byte", "\xFF" "a", U"\uFFFDa"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeUtf8<char32_t>(c.utf8), c.decoded);
  }
}

TEST(Utf8Test, LoneSurrogatesAreWrittenAsReplacements) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(EncodeUtf8<char16_t>(std::u16string{u'a', 0xD83C}), "a" + replacement);
  EXPECT_EQ(EncodeUtf8<char16_t>(std::u16string{0xDFB5, u'a'}), replacement + "a");
  EXPECT_EQ(EncodeUtf8<char16_t>(std::u16string{0xD83C, 0xD83C, 0xDFB5}), replacement + "\xF0\x9F\x8E\xB5");
  EXPECT_EQ(EncodeUtf8<char32_t>(std::u32string{0xD800}), replacement);
  EXPECT_EQ(EncodeUtf8<char32_t>(std::u32string{0x110000}), replacement);
}

}  // namespace
}  // namespace cuelark
