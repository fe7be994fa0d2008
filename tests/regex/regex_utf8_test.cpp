// vx_regex with VX_REG_UTF8: characters as units, stray bytes, Unicode case
// folding, byte offsets.  Literals in this file are UTF-8.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#define VX_REGEX_PREFIXED_ONLY
#include "vx_regex.h"

namespace {

constexpr int kUtf8 = VX_REG_EXTENDED | VX_REG_UTF8;

// "(so,eo)..." for groups 0..re_nsub, "nomatch", or "error N".
std::string run(const std::string& pattern, const std::string& subject, int cflags = kUtf8) {
  vx_regex_t re;
  int rc = vx_regcomp(&re, pattern.c_str(), cflags);
  if (rc != 0) return "error " + std::to_string(rc);
  std::vector<vx_regmatch_t> pm(re.re_nsub + 1);
  std::string out;
  if (vx_regexec(&re, subject.c_str(), pm.size(), pm.data(), 0) != 0) {
    out = "nomatch";
  } else {
    for (const vx_regmatch_t& m : pm)
      out += "(" + std::to_string((long)m.rm_so) + "," + std::to_string((long)m.rm_eo) + ")";
  }
  vx_regfree(&re);
  return out;
}

std::string icase(const std::string& pattern, const std::string& subject) {
  return run(pattern, subject, kUtf8 | VX_REG_ICASE);
}

int compile_code(const std::string& pattern, int cflags = kUtf8) {
  vx_regex_t re;
  int rc = vx_regcomp(&re, pattern.c_str(), cflags);
  if (rc == 0) vx_regfree(&re);
  return rc;
}

const std::string kKelvin = "\xe2\x84\xaa";  // U+212A KELVIN SIGN

TEST(RegexUtf8, DotTakesOneWholeCharacter) {
  EXPECT_EQ(run("^.$", "é"), "(0,2)");
  EXPECT_EQ(run("^.$", "€"), "(0,3)");
  EXPECT_EQ(run("^.$", "😀"), "(0,4)");
  EXPECT_EQ(run("^..$", "é"), "nomatch");
  EXPECT_EQ(run("^...$", "é日😀"), "(0,9)");
  EXPECT_EQ(run("a.c", "xaéc"), "(1,5)");
  EXPECT_EQ(run("^.$", "é", VX_REG_EXTENDED), "nomatch");  // bytes without the flag
  EXPECT_EQ(run("a.b", "a\nb", kUtf8 | VX_REG_NEWLINE), "nomatch");
}

TEST(RegexUtf8, StrayBytesAreOneUnitEach) {
  EXPECT_EQ(run("^.$", "\xff"), "(0,1)");
  EXPECT_EQ(run("^.*$",
                "a\xff"
                "b"),
            "(0,3)");
  // Truncated, overlong, encoded surrogate, beyond U+10FFFF: each byte alone.
  EXPECT_EQ(run("^..$", "\xe2\x82"), "(0,2)");
  EXPECT_EQ(run("^..$", "\xc0\xaf"), "(0,2)");
  EXPECT_EQ(run("^...$", "\xed\xa0\x80"), "(0,3)");
  EXPECT_EQ(run("^....$", "\xf4\x90\x80\x80"), "(0,4)");
  EXPECT_EQ(run("^.$", "\xf4\x8f\xbf\xbf"), "(0,4)");  // U+10FFFF itself is valid
  // A lead byte cut short by an ASCII byte leaves that byte to the next unit.
  EXPECT_EQ(run("^(.)(x)$", "\xc3x"), "(0,2)(0,1)(1,2)");
}

TEST(RegexUtf8, MatchesNeverStartOrEndInsideACharacter) {
  // The pattern's lone continuation byte is a stray byte; the subject's A9
  // belongs to 'é' and is no stray, so the search must not land on it.
  EXPECT_EQ(run("\xa9", "é"), "nomatch");
  EXPECT_EQ(run("\xa9", "é\xa9"), "(2,3)");
  EXPECT_EQ(run("\xc3", "é"), "nomatch");
  EXPECT_EQ(run("[\x80-\xbf]", "日本"), "nomatch");
  EXPECT_EQ(run("$", "é"), "(2,2)");
  EXPECT_EQ(run("x*", "é"), "(0,0)");
}

TEST(RegexUtf8, BracketsTakeWholeCharacters) {
  EXPECT_EQ(run("^[éa]+$", "aéa"), "(0,4)");
  EXPECT_EQ(run("[日本]+", "x日本y"), "(1,7)");
  EXPECT_EQ(run("[à-ÿ]+", "xàéÿz"), "(1,7)");
  EXPECT_EQ(run("[α-ω]+", "abγδΩ"), "(2,6)");
  EXPECT_EQ(run("^[α-ω]$", "Ω"), "nomatch");
  EXPECT_EQ(run("^[😀-😂]$", "😁"), "(0,4)");
  EXPECT_EQ(run("^[[.à.]-[.ÿ.]]$", "é"), "(0,2)");
  EXPECT_EQ(run("^[[=é=]]$", "é"), "(0,2)");
  EXPECT_EQ(run("[]é]+", "]é]"), "(0,4)");
  EXPECT_EQ(compile_code("[é-a]"), VX_REG_ERANGE);
  EXPECT_EQ(compile_code("[[=éa=]]"), VX_REG_ECOLLATE);
  EXPECT_EQ(compile_code("[[.日本.]]"), VX_REG_ECOLLATE);
  // Without the flag a two-byte character is two collating elements.
  EXPECT_EQ(compile_code("[[=é=]]", VX_REG_EXTENDED), VX_REG_ECOLLATE);
}

TEST(RegexUtf8, NegatedBracketsTakeAnyOtherCharacterButNoStrayByte) {
  EXPECT_EQ(run("^[^a]$", "é"), "(0,2)");
  EXPECT_EQ(run("^[^a]$", "日"), "(0,3)");
  EXPECT_EQ(run("^[^a]$", "😀"), "(0,4)");
  EXPECT_EQ(run("^[^é]$", "é"), "nomatch");
  EXPECT_EQ(run("^[^é]$", "e"), "(0,1)");
  EXPECT_EQ(run("^[^a]$", "\xff"), "nomatch");
  EXPECT_EQ(run("^[^a]$", "\n", kUtf8 | VX_REG_NEWLINE), "nomatch");
  // A range across the surrogate block, where stray bytes are kept, must not
  // take them.
  EXPECT_EQ(run("^[一-豈]$", "日"), "(0,3)");
  EXPECT_EQ(run("^[一-豈]$", "\xff"), "nomatch");
  EXPECT_EQ(run("^[^[:alpha:]]$", "日"), "(0,3)");
}

TEST(RegexUtf8, StrayBytesInBracketsOnlyWhenListed) {
  EXPECT_EQ(run("^[\xff]$", "\xff"), "(0,1)");
  EXPECT_EQ(run("^[\xff]$", "ÿ"), "nomatch");  // U+00FF is a character, not the byte FF
  EXPECT_EQ(run("^[\x80-\xff]+$", "\xc3\xff\x80"), "(0,3)");
  EXPECT_EQ(run("^[\x80-\xff]$", "é"), "nomatch");
  EXPECT_EQ(run("^[^\xff]$", "\xfe"), "nomatch");
  EXPECT_EQ(compile_code("[a-\xff]"), VX_REG_ERANGE);
  EXPECT_EQ(compile_code("[\x80-é]"), VX_REG_ERANGE);
}

TEST(RegexUtf8, StrayBytesInThePatternMatchOnlyThemselves) {
  EXPECT_EQ(run("a\xff"
                "b",
                "xa\xff"
                "b"),
            "(1,4)");
  EXPECT_EQ(run("^\xff*$", "\xff\xff\xff"), "(0,3)");
  EXPECT_EQ(run("\xe9", "é"), "nomatch");  // a Latin-1 byte is not the character
  EXPECT_EQ(run("^\xc3(x)$", "\xc3x"), "(0,2)(1,2)");
  EXPECT_EQ(run("\xc3(x)", "éx"), "nomatch");
  EXPECT_EQ(run("^ab\xe2\x82$", "ab\xe2\x82"), "(0,4)");
  EXPECT_EQ(run("^ab\xe2\x82", "ab€"), "nomatch");
  EXPECT_EQ(run("^\\\xff$", "\xff"), "(0,1)");
  EXPECT_EQ(run("^\\é$", "é"), "(0,2)");
}

TEST(RegexUtf8, RepeatsApplyToTheWholeCharacter) {
  EXPECT_EQ(run("é*", "éééx"), "(0,6)");
  EXPECT_EQ(run("^é{2}$", "éé"), "(0,4)");
  EXPECT_EQ(run("^é+$", "é\xa9"), "nomatch");
  EXPECT_EQ(run("é*", "é\xa9\xa9", VX_REG_EXTENDED), "(0,4)");  // bytes: A9 repeats
  EXPECT_EQ(run("^日本?$", "日"), "(0,3)");
  EXPECT_EQ(run("^😀{3}$", "😀😀😀"), "(0,12)");
  EXPECT_EQ(run("^😀{3}$", "😀😀"), "nomatch");
  EXPECT_EQ(run("(é)+", "xéé"), "(1,5)(3,5)");
}

TEST(RegexUtf8, SubmatchesAreByteOffsets) {
  EXPECT_EQ(run("(é+)(ж)", "xééж"), "(1,7)(1,5)(5,7)");
  EXPECT_EQ(run("(.)(.)", "日é"), "(0,5)(0,3)(3,5)");
  EXPECT_EQ(run("(.)*", "aé日"), "(0,6)(3,6)");
  // The backward pass must read characters back to front, strays included.
  EXPECT_EQ(run("(.*)(日)(.*)", "é日本日x"), "(0,12)(0,8)(8,11)(11,12)");
  EXPECT_EQ(run("(.*)(\xa9)", "é\xa9"), "(0,3)(0,2)(2,3)");
  EXPECT_EQ(run("(.*)(.)", "\xc3\xc3\xa9"), "(0,3)(0,1)(1,3)");
  EXPECT_EQ(run("(é|日|x)*(😀)", "é日x😀"), "(0,10)(5,6)(6,10)");
  EXPECT_EQ(run("(a|é日)*(.*)", "aé日a😀"), "(0,11)(6,7)(7,11)");
}

TEST(RegexUtf8, IcaseFoldsByUnicode) {
  EXPECT_EQ(icase("é", "É"), "(0,2)");
  EXPECT_EQ(icase("CAFÉ", "café"), "(0,5)");
  EXPECT_EQ(icase("ж+", "ЖжЖ"), "(0,6)");
  EXPECT_EQ(icase("[а-я]+", "ЖУК"), "(0,6)");
  EXPECT_EQ(icase("[^ж]", "Ж"), "nomatch");  // folded before it is negated
  EXPECT_EQ(run("é", "É"), "nomatch");
}

TEST(RegexUtf8, IcaseTakesEveryMemberOfAFoldClass) {
  for (const char* p : {"σ", "Σ", "ς", "[σ]"})
    for (const char* s : {"σ", "Σ", "ς"}) EXPECT_EQ(icase(p, s), "(0,2)") << p << " " << s;
  EXPECT_EQ(icase("[^σ]", "ς"), "nomatch");
  for (const char* p : {"k", "K"}) EXPECT_EQ(icase(p, kKelvin), "(0,3)") << p;
  EXPECT_EQ(icase(kKelvin, "k"), "(0,1)");
  EXPECT_EQ(icase("^[a-z]$", kKelvin), "(0,3)");
  EXPECT_EQ(run("k", kKelvin), "nomatch");
  // Only simple folding: no character becomes two.
  EXPECT_EQ(icase("ß", "ss"), "nomatch");
  EXPECT_EQ(icase("ss", "ß"), "nomatch");
  EXPECT_EQ(icase("ß", "ẞ"), "(0,3)");
}

TEST(RegexUtf8, ClassesTakeCasedLettersBeyondAscii) {
  EXPECT_EQ(run("^[[:alpha:]]+$", "éжΣ"), "(0,6)");
  EXPECT_EQ(run("[[:alpha:]]", "日😀"), "nomatch");  // no case: not counted
  EXPECT_EQ(run("^[[:upper:]]+$", "ÉЖΣ"), "(0,6)");
  EXPECT_EQ(run("[[:upper:]]", "éжσ"), "nomatch");
  EXPECT_EQ(run("^[[:lower:]]+$", "éжσ"), "(0,6)");
  EXPECT_EQ(run("^[[:alnum:]]+$", "é1"), "(0,3)");
  EXPECT_EQ(run("[[:punct:][:space:][:digit:]]", "«日»"), "nomatch");
  EXPECT_EQ(icase("^[[:upper:]]$", "é"), "(0,2)");
}

// In UTF-8 mode bytes from 128 up are never looked up in the 256-entry table,
// whatever code page it was filled from.
TEST(RegexUtf8, ByteFoldTableDoesNotApply) {
  unsigned char up[256], lo[256];
  for (int c = 0; c < 256; c++) {
    up[c] = (unsigned char)((c >= 'a' && c <= 'z') ? c - 32 : c);
    lo[c] = (unsigned char)((c >= 'A' && c <= 'Z') ? c + 32 : c);
  }
  up[0xE9] = 0xC9;  // code page 1252 e-acute
  lo[0xC9] = 0xE9;
  up[0xA9] = 0x89;  // nonsense pairs that would split UTF-8 sequences
  lo[0x89] = 0xA9;
  vx_regex_set_case_table(up, lo);
  EXPECT_EQ(run("\xe9", "\xc9", VX_REG_EXTENDED | VX_REG_ICASE), "(0,1)");  // bytes: the table
  EXPECT_EQ(icase("\xe9", "\xc9"), "nomatch");
  EXPECT_EQ(run("[[:alpha:]]", "\xe9"), "nomatch");
  EXPECT_EQ(icase("é", "É"), "(0,2)");
  EXPECT_EQ(icase("^é$", "\xc3\x89"), "(0,2)");
  vx_regex_set_case_table(nullptr, nullptr);
}

TEST(RegexUtf8, CacheKeepsTheModesApart) {
  vx_regex_t bytes, chars;
  ASSERT_EQ(vx_regcomp(&bytes, "^.$", VX_REG_EXTENDED), 0);
  ASSERT_EQ(vx_regcomp(&chars, "^.$", kUtf8), 0);
  EXPECT_EQ(vx_regexec(&bytes, "é", 0, nullptr, 0), VX_REG_NOMATCH);
  EXPECT_EQ(vx_regexec(&chars, "é", 0, nullptr, 0), 0);
  vx_regfree(&bytes);
  vx_regfree(&chars);
}

double seconds_for(void (*f)()) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(RegexUtf8, StaysLinearOnMultibyteText) {
  EXPECT_LT(seconds_for([] {
              std::string many;
              for (int k = 0; k < 20000; k++) many += "é";
              EXPECT_EQ(run("^.*é.*é.*é.*é.*é.*é.*é.*é.*x$", many), "nomatch");
              EXPECT_EQ(run("^(.*é)*.*x$", many), "nomatch");
            }),
            5.0);
  EXPECT_LT(seconds_for([] {
              std::string mixed;
              for (int k = 0; k < 40000; k++) mixed += "é日\xff😀";
              mixed += "x";
              std::string want = "(0," + std::to_string(mixed.size()) + ")(" +
                                 std::to_string(mixed.size() - 5) + "," +
                                 std::to_string(mixed.size() - 1) + ")";
              EXPECT_EQ(run("(é|日|\xff|😀)*x", mixed), want);
            }),
            30.0);
}

}  // namespace
