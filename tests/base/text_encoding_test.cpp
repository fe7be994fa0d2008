// UTF-8 and its edges: sequences judged strictly, names that are not valid
// UTF-16 carried losslessly, case folding by whole characters, and files of
// the 2.0 days in the ANSI code page.
#include "base/text_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace lumadir;

namespace {

std::string str(const variant& v) {
  return std::string(v.text().data() ? v.text().data() : "", v.length());
}

std::u16string units_of(const std::string& wtf8) {
  utf16_text wide;
  EXPECT_TRUE(wide.assign_wtf8(wtf8.data(), static_cast<int32_t>(wtf8.size())));
  return std::u16string(wide.data(), wide.length());
}

TEST(TextEncoding, SequencesAreJudgedStrictly) {
  uint32_t c = 0;
  EXPECT_EQ(decode_utf8("\xC3\xA9", 2, c), 2);
  EXPECT_EQ(c, 0xE9u);
  EXPECT_EQ(decode_utf8("\xF0\x9F\x98\x80", 4, c), 4);
  EXPECT_EQ(c, 0x1F600u);
  EXPECT_EQ(decode_utf8("\xF0\x9F\x98", 3, c), 0);      // cut short
  EXPECT_EQ(decode_utf8("\xC0\xAF", 2, c), 0);          // overlong "/"
  EXPECT_EQ(decode_utf8("\xE0\x80\xAF", 3, c), 0);      // overlong, three bytes
  EXPECT_EQ(decode_utf8("\xF4\x90\x80\x80", 4, c), 0);  // past U+10FFFF
  EXPECT_EQ(decode_utf8("\xED\xA0\x80", 3, c), 0);      // a surrogate is no character
  EXPECT_EQ(decode_wtf8("\xED\xA0\x80", 3, c), 3);      // but a name may hold one
  EXPECT_EQ(c, 0xD800u);
  EXPECT_EQ(decode_utf8("\x80", 1, c), 0);
  EXPECT_TRUE(is_valid_utf8("caf\xC3\xA9 \xE6\x97\xA5", 9));
  EXPECT_FALSE(is_valid_utf8("caf\xE9", 4));
}

TEST(TextEncoding, NamesSurviveTheTripThroughUtf16) {
  // Pairs, BMP characters and lone surrogates of either half, as NTFS allows.
  const std::u16string names[] = {u"plain",
                                  u"\u65E5\u672C\u8A9E",
                                  u"\U0001F600 \u00E9",
                                  u"a\xD800z",
                                  u"\xDC00",
                                  std::u16string(1, u'\xDBFF') + u"\xDFFF",
                                  std::u16string{u'\xDFFF', u'\xD800'}};
  for (const std::u16string& name : names) {
    const variant wtf8 = wtf8_from_utf16(name.data(), static_cast<int32_t>(name.size()));
    EXPECT_EQ(units_of(str(wtf8)), name);
  }
  // A lone surrogate is its own three bytes; a pair is one four-byte character.
  const char16_t lone[] = {u'a', 0xD800, u'z'};
  EXPECT_EQ(str(wtf8_from_utf16(lone, 3)), "a\xED\xA0\x80z");
  const char16_t pair[] = {0xD83D, 0xDE00};
  EXPECT_EQ(str(wtf8_from_utf16(pair, 2)), "\xF0\x9F\x98\x80");
  // Bytes that are no sequence at all (never read from a name) become U+FFFD.
  EXPECT_EQ(units_of("a\xFFz"), u"a\uFFFDz");

  utf16_text path;
  ASSERT_TRUE(path.assign_wtf8("C:\\x", 4));
  ASSERT_TRUE(path.prepend(u"\\\\?\\", 4));
  ASSERT_TRUE(path.append(u"\\*", 2));
  EXPECT_EQ(std::u16string(path.data(), path.length()), u"\\\\?\\C:\\x\\*");
  EXPECT_EQ(path.data()[path.length()], u'\0');
}

TEST(TextEncoding, TheListingShowsALoneSurrogateAsReplacement) {
  variant name("a\xED\xA0\x80z");
  name.escape_html();
  EXPECT_EQ(str(name), "a\xEF\xBF\xBDz");
}

TEST(TextEncoding, CaseFoldsByWholeCharacters) {
  EXPECT_EQ(fold_case(U'\u00C9'), U'\u00E9');
  EXPECT_EQ(fold_case(U'\u03A3'), U'\u03C3');
  EXPECT_EQ(fold_case(U'\u03C2'), U'\u03C3');  // final sigma
  EXPECT_EQ(fold_case(U'\u0416'), U'\u0436');
  EXPECT_EQ(fold_case(U'\u212A'), U'k');  // Kelvin sign
  EXPECT_EQ(fold_case(U'\U00010400'), U'\U00010428');
  EXPECT_EQ(fold_case(U'\u65E5'), U'\u65E5');

  const auto compare = [](const char* a, const char* b) {
    return compare_folded_utf8(a, static_cast<int32_t>(std::strlen(a)), b,
                               static_cast<int32_t>(std::strlen(b)));
  };
  EXPECT_EQ(compare("\xC3\x89LAN", "\xC3\xA9lan"), 0);
  EXPECT_EQ(compare("\xD0\x96\xD0\xB6", "\xD0\xB6\xD0\x96"), 0);
  EXPECT_LT(compare("Zebra", "_x"), 0);           // ASCII letters as capitals, as always
  EXPECT_LT(compare("zebra", "\xC3\xA9lan"), 0);  // then by code point
  EXPECT_LT(compare("ab", "abc"), 0);
  EXPECT_LT(compare("\xE6\x97\xA5", "\xFF"), 0);  // a stray byte after every character
  EXPECT_NE(compare("\xC9", "\xE9"), 0);          // and folds to nothing
}

TEST(TextEncoding, StoredTextsOfEitherKindLoad) {
  variant utf8("caf\xC3\xA9*");
  text_from_stored_bytes(utf8);
  EXPECT_EQ(str(utf8), "caf\xC3\xA9*");
  variant marked("\xEF\xBB\xBF<a>\xC3\xA9</a>");
  text_from_stored_bytes(marked);
  EXPECT_EQ(str(marked), "<a>\xC3\xA9</a>");
  // 2.0 wrote the system's ANSI code page (1252 here): é, the euro sign.
  variant legacy("caf\xE9* \x80");
  text_from_stored_bytes(legacy);
  EXPECT_EQ(str(legacy), "caf\xC3\xA9* \xE2\x82\xAC");
  EXPECT_EQ(str(legacy_byte_as_utf8(0xE9)), "\xC3\xA9");
  EXPECT_EQ(str(legacy_byte_as_utf8(0x80)), "\xE2\x82\xAC");
}

}  // namespace
