// Unit tests for vx_regex through its POSIX interface.
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

// GoogleTest may bring in the C library's <regex.h>, so the tests use the
// prefixed names (the conformance runner covers the plain POSIX ones).
#define VX_REGEX_PREFIXED_ONLY
#include "vx_regex.h"

namespace {

int compile_code(const char* pattern, int cflags = VX_REG_EXTENDED) {
  vx_regex_t re;
  int rc = vx_regcomp(&re, pattern, cflags);
  if (rc == 0) vx_regfree(&re);
  return rc;
}

// "(so,eo)(so,eo)..." for groups 0..re_nsub, or "nomatch"/"error".
std::string run(const char* pattern, const char* subject, int cflags = 0, int eflags = 0) {
  vx_regex_t re;
  if (vx_regcomp(&re, pattern, VX_REG_EXTENDED | cflags) != 0) return "error";
  std::vector<vx_regmatch_t> pm(re.re_nsub + 1);
  std::string out;
  if (vx_regexec(&re, subject, pm.size(), pm.data(), eflags) != 0) {
    out = "nomatch";
  } else {
    for (const vx_regmatch_t& m : pm)
      out += "(" + std::to_string((long)m.rm_so) + "," + std::to_string((long)m.rm_eo) + ")";
  }
  vx_regfree(&re);
  return out;
}

TEST(RegexCompileErrors, MalformedPatternsGiveTheirCodes) {
  struct {
    const char* pattern;
    int code;
  } cases[] = {
      {"(a", VX_REG_EPAREN},         {"a)", VX_REG_EPAREN},
      {")", VX_REG_EPAREN},          {"((a)", VX_REG_EPAREN},
      {"[a", VX_REG_EBRACK},         {"[]", VX_REG_EBRACK},
      {"[^", VX_REG_EBRACK},         {"[[:alpha:]", VX_REG_EBRACK},
      {"[[:alpha", VX_REG_EBRACK},   {"a{1", VX_REG_EBRACE},
      {"a{1,2", VX_REG_EBRACE},      {"a{", VX_REG_EBRACE},
      {"a{x}", VX_REG_BADBR},        {"a{2,1}", VX_REG_BADBR},
      {"a{256}", VX_REG_BADBR},      {"a{1,256}", VX_REG_BADBR},
      {"a{,2}", VX_REG_BADBR},       {"a{9876543210}", VX_REG_BADBR},
      {"a{1,2,3}", VX_REG_BADBR},    {"*a", VX_REG_BADRPT},
      {"a|*b", VX_REG_BADRPT},       {"(+a)", VX_REG_BADRPT},
      {"{1}", VX_REG_BADRPT},        {"^*", VX_REG_BADRPT},
      {"a$+", VX_REG_BADRPT},        {"[z-a]", VX_REG_ERANGE},
      {"[a-c-e]", VX_REG_ERANGE},    {"[[:alpha:]-z]", VX_REG_ERANGE},
      {"[[:nope:]]", VX_REG_ECTYPE}, {"[[.ab.]]", VX_REG_ECOLLATE},
      {"[[=ab=]]", VX_REG_ECOLLATE}, {"a\\", VX_REG_EESCAPE},
      {"\\", VX_REG_EESCAPE},        {"(a)\\1", VX_REG_ESUBREG},
  };
  for (const auto& c : cases) EXPECT_EQ(compile_code(c.pattern), c.code) << c.pattern;
}

TEST(RegexCompileErrors, ValidEdgeSyntaxCompiles) {
  const char* ok[] = {"()",    "a|",      "|a",       "(|a)",   "a**",    "a{2}{3}",
                      "a+?",   "[]a]",    "[^]a]",    "[a-]",   "[-a]",   "[%--]",
                      "[--a]", "\\{",     "a{0}",     "a{0,0}", "a{255}", "(^)*",
                      "$^",    "[[.-.]]", "[[=a=]b]", "[\\]",   "x{1,}",  "[[:alpha:][:digit:]]"};
  for (const char* p : ok) EXPECT_EQ(compile_code(p), 0) << p;
}

TEST(RegexCompileErrors, BasicSyntaxIsRejected) {
  EXPECT_EQ(compile_code("a", 0), VX_REG_BADPAT);
}

TEST(RegexCompileErrors, FailedCompileLeavesNothingToFree) {
  vx_regex_t re;
  ASSERT_NE(vx_regcomp(&re, "(a", VX_REG_EXTENDED), 0);
  vx_regfree(&re);  // must be harmless
  vx_regfree(&re);
}

TEST(RegexError, MessagesAndTruncation) {
  char buf[64];
  size_t n = vx_regerror(VX_REG_EPAREN, nullptr, buf, sizeof buf);
  EXPECT_STREQ(buf, "Unmatched ( or )");
  EXPECT_EQ(n, std::strlen(buf) + 1);

  const int codes[] = {VX_REG_NOMATCH, VX_REG_BADPAT,  VX_REG_ECOLLATE, VX_REG_ECTYPE,
                       VX_REG_EESCAPE, VX_REG_ESUBREG, VX_REG_EBRACK,   VX_REG_EPAREN,
                       VX_REG_EBRACE,  VX_REG_BADBR,   VX_REG_ERANGE,   VX_REG_ESPACE,
                       VX_REG_BADRPT};
  std::vector<std::string> seen;
  for (int c : codes) {
    vx_regerror(c, nullptr, buf, sizeof buf);
    EXPECT_GT(std::strlen(buf), 5u) << c;
    for (const std::string& s : seen) EXPECT_NE(s, buf) << "two codes share a message";
    seen.push_back(buf);
  }

  // Truncated copies stay NUL-terminated; the return value is the full size.
  char small[6];
  std::memset(small, 'x', sizeof small);
  size_t full = vx_regerror(VX_REG_BADBR, nullptr, small, sizeof small);
  EXPECT_EQ(full, std::strlen("Invalid content of {}") + 1);
  EXPECT_STREQ(small, "Inval");

  // Size 0 or a null buffer: only the needed size.
  char untouched = 'q';
  EXPECT_EQ(vx_regerror(VX_REG_BADBR, nullptr, &untouched, 0), full);
  EXPECT_EQ(untouched, 'q');
  EXPECT_EQ(vx_regerror(VX_REG_BADBR, nullptr, nullptr, 0), full);

  // Size 1 gives the empty string.
  char one = 'q';
  vx_regerror(VX_REG_BADBR, nullptr, &one, 1);
  EXPECT_EQ(one, '\0');

  vx_regerror(12345, nullptr, buf, sizeof buf);
  EXPECT_GT(std::strlen(buf), 0u);
}

TEST(RegexFlags, NewlineMakesLinesSeparate) {
  EXPECT_EQ(run("a.b", "a\nb"), "(0,3)");
  EXPECT_EQ(run("a.b", "a\nb", VX_REG_NEWLINE), "nomatch");
  EXPECT_EQ(run("a[^x]b", "a\nb", VX_REG_NEWLINE), "nomatch");
  EXPECT_EQ(run("a[^x]b", "a\nb"), "(0,3)");
  EXPECT_EQ(run("a[\n]b", "a\nb", VX_REG_NEWLINE), "(0,3)");  // explicit \n still matches
  EXPECT_EQ(run("^b", "a\nb"), "nomatch");
  EXPECT_EQ(run("^b", "a\nb", VX_REG_NEWLINE), "(2,3)");
  EXPECT_EQ(run("a$", "a\nb"), "nomatch");
  EXPECT_EQ(run("a$", "a\nb", VX_REG_NEWLINE), "(0,1)");
  EXPECT_EQ(run("^$", "a\n\nb", VX_REG_NEWLINE), "(2,2)");
  EXPECT_EQ(run("(^.*$)", "ab\ncd", VX_REG_NEWLINE), "(0,2)(0,2)");
}

TEST(RegexFlags, NotbolAndNoteol) {
  EXPECT_EQ(run("^a", "ab", 0, VX_REG_NOTBOL), "nomatch");
  EXPECT_EQ(run("b$", "ab", 0, VX_REG_NOTEOL), "nomatch");
  EXPECT_EQ(run("^", "ab", 0, VX_REG_NOTBOL), "nomatch");
  EXPECT_EQ(run("$", "ab", 0, VX_REG_NOTEOL), "nomatch");
  // With VX_REG_NEWLINE, line starts and ends inside the text still count.
  EXPECT_EQ(run("^b", "a\nb", VX_REG_NEWLINE, VX_REG_NOTBOL), "(2,3)");
  EXPECT_EQ(run("a$", "a\nb", VX_REG_NEWLINE, VX_REG_NOTEOL), "(0,1)");
  EXPECT_EQ(run("b$", "a\nb", VX_REG_NEWLINE, VX_REG_NOTEOL), "nomatch");
  EXPECT_EQ(run("a|^b", "xb", 0, VX_REG_NOTBOL), "nomatch");
}

TEST(RegexFlags, NosubReportsOnlyWhetherItMatched) {
  vx_regex_t re;
  ASSERT_EQ(vx_regcomp(&re, "(a)(b)?", VX_REG_EXTENDED | VX_REG_NOSUB), 0);
  vx_regmatch_t pm[3];
  for (vx_regmatch_t& m : pm) m.rm_so = m.rm_eo = -7;
  EXPECT_EQ(vx_regexec(&re, "xab", 3, pm, 0), 0);
  for (const vx_regmatch_t& m : pm) EXPECT_EQ(m.rm_so, -7);
  EXPECT_EQ(vx_regexec(&re, "xyz", 3, pm, 0), VX_REG_NOMATCH);
  EXPECT_EQ(vx_regexec(&re, "a", 0, nullptr, 0), 0);
  vx_regfree(&re);
}

TEST(RegexFlags, IcaseFoldsAscii) {
  EXPECT_EQ(run("abc", "xABC", VX_REG_ICASE), "(1,4)");
  EXPECT_EQ(run("[a-c]+", "xAbC", VX_REG_ICASE), "(1,4)");
  EXPECT_EQ(run("[^a]", "Ab", VX_REG_ICASE), "(1,2)");  // [^a] rejects 'A' too
  EXPECT_EQ(run("[[:upper:]]+", "abC", VX_REG_ICASE), "(0,3)");
  EXPECT_EQ(run("[[:lower:]]+", "ABc", VX_REG_ICASE), "(0,3)");
  EXPECT_EQ(run("(Ab|cD)*", "aBcD", VX_REG_ICASE), "(0,4)(2,4)");
  EXPECT_EQ(run("abc", "ABC"), "nomatch");
}

// 0xE9 / 0xC9 are e-acute in code page 1252.
TEST(RegexFlags, IcaseFoldsHighBytes) {
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is not 1252";
#else
  // The host table is plain ASCII; install a code page 1252 style pair.
  EXPECT_EQ(run("\xe9", "\xc9", VX_REG_ICASE), "nomatch");
  unsigned char up[256], lo[256];
  for (int c = 0; c < 256; c++) {
    up[c] = (unsigned char)((c >= 'a' && c <= 'z') ? c - 32 : c);
    lo[c] = (unsigned char)((c >= 'A' && c <= 'Z') ? c + 32 : c);
  }
  up[0xE9] = 0xC9;
  lo[0xC9] = 0xE9;
  vx_regex_set_case_table(up, lo);
#endif
  EXPECT_EQ(run("caf\xe9", "CAF\xc9", VX_REG_ICASE), "(0,4)");
  EXPECT_EQ(run("CAF\xc9", "caf\xe9", VX_REG_ICASE), "(0,4)");
  EXPECT_EQ(run("[\xe9]", "\xc9", VX_REG_ICASE), "(0,1)");
  EXPECT_EQ(run("[^\xe9]", "\xc9", VX_REG_ICASE), "nomatch");
  EXPECT_EQ(run("caf\xe9", "CAF\xc9"), "nomatch");
  EXPECT_EQ(run("[[:alpha:]]", "\xe9"), "(0,1)");
  EXPECT_EQ(run("[[:upper:]]", "\xc9"), "(0,1)");
#ifndef _WIN32
  vx_regex_set_case_table(nullptr, nullptr);
  // A pattern compiled (and cached) under the old table must not be reused.
  EXPECT_EQ(run("caf\xe9", "CAF\xc9", VX_REG_ICASE), "nomatch");
#endif
}

TEST(RegexSubmatch, PosixRules) {
  // Leftmost, then longest; earlier groups take the longest extent.
  EXPECT_EQ(run("(a*)(a|aa)", "aaaa"), "(0,4)(0,3)(3,4)");
  EXPECT_EQ(run("(a|ab)(c|bcd)(d*)", "abcd"), "(0,4)(0,2)(2,3)(3,4)");
  // A repeated group reports its last iteration; inner groups that the
  // last iteration did not take are unset.
  EXPECT_EQ(run("(a|b)*", "ab"), "(0,2)(1,2)");
  EXPECT_EQ(run("((a)|b)*", "ab"), "(0,2)(1,2)(-1,-1)");
  EXPECT_EQ(run("((..)|(.))*", "aaa"), "(0,3)(2,3)(-1,-1)(2,3)");
  // Iterations take as much as they can while the rest still fits.
  EXPECT_EQ(run("(a|ab|c|bcd)*(d*)", "ababcd"), "(0,6)(3,6)(6,6)");
  // A starred group over an empty match matches once, empty; no empty
  // iteration follows a non-empty one.
  EXPECT_EQ(run("(a*)*", "b"), "(0,0)(0,0)");
  EXPECT_EQ(run("(a*)*", "a"), "(0,1)(0,1)");
  EXPECT_EQ(run("(a+)*", "b"), "(0,0)(-1,-1)");
  EXPECT_EQ(run("(a*){2}(x)", "ax"), "(0,2)(1,1)(1,2)");
  EXPECT_EQ(run("X(.?){0,8}Y", "X1234567Y"), "(0,9)(7,8)");
  EXPECT_EQ(run("X(.?){8,}Y", "X1234567Y"), "(0,9)(8,8)");
  // Unmatched alternatives are unset.
  EXPECT_EQ(run("a(b)|c(d)|a(e)f", "aef"), "(0,3)(-1,-1)(-1,-1)(1,2)");
  // Groups never reached by a {0} repeat are unset but counted.
  EXPECT_EQ(run("(a){0}b", "ab"), "(1,2)(-1,-1)");
  EXPECT_EQ(run("a($)", "aa"), "(1,2)(2,2)");
}

TEST(RegexSubmatch, NmatchLimitsWhatIsWritten) {
  vx_regex_t re;
  ASSERT_EQ(vx_regcomp(&re, "(a)(b)(c)", VX_REG_EXTENDED), 0);
  EXPECT_EQ(re.re_nsub, 3u);
  vx_regmatch_t pm[6];
  for (vx_regmatch_t& m : pm) m.rm_so = m.rm_eo = -2;
  ASSERT_EQ(vx_regexec(&re, "xabc", 2, pm, 0), 0);
  EXPECT_EQ(pm[0].rm_so, 1);
  EXPECT_EQ(pm[1].rm_so, 1);
  EXPECT_EQ(pm[1].rm_eo, 2);
  EXPECT_EQ(pm[2].rm_so, -2);  // beyond nmatch: untouched
  ASSERT_EQ(vx_regexec(&re, "xabc", 6, pm, 0), 0);
  EXPECT_EQ(pm[3].rm_so, 3);
  EXPECT_EQ(pm[4].rm_so, -1);  // beyond re_nsub: unset
  EXPECT_EQ(pm[5].rm_eo, -1);
  EXPECT_EQ(vx_regexec(&re, "xabc", 0, nullptr, 0), 0);
  vx_regfree(&re);
}

TEST(RegexSyntax, BracketsAndEscapes) {
  EXPECT_EQ(run("[]a]+", "]a]"), "(0,3)");
  EXPECT_EQ(run("[^]a]", "]ab"), "(2,3)");
  EXPECT_EQ(run("[a-]+", "-a-"), "(0,3)");
  EXPECT_EQ(run("[\\]+", "\\\\"), "(0,2)");  // backslash is literal inside
  EXPECT_EQ(run("[[.-.]a]+", "a-"), "(0,2)");
  EXPECT_EQ(run("[[=e=]]", "e"), "(0,1)");
  EXPECT_EQ(run("[[:digit:][:space:]]+", "x1 2\t3y"), "(1,6)");
  EXPECT_EQ(run("[[:xdigit:]]+", "xfF09g"), "(1,5)");
  EXPECT_EQ(run("[[:punct:]]+", "a!/@[`{~b"), "(1,8)");
  EXPECT_EQ(run("[[:blank:]]+", "a \t\nb"), "(1,3)");
  EXPECT_EQ(run("[[:cntrl:]]", "a\x7f"), "(1,2)");
  EXPECT_EQ(run("\\.\\*\\+\\?\\(\\)\\[\\{\\|\\^\\$", ".*+?()[{|^$"), "(0,11)");
  EXPECT_EQ(run("a\\}", "a}"), "(0,2)");
  EXPECT_EQ(run("]", "]"), "(0,1)");
  EXPECT_EQ(run(".", "\xff"), "(0,1)");
  EXPECT_EQ(run("[\x80-\xff]+", "a\x80\xc9\xff"), "(1,4)");
}

TEST(RegexSyntax, EmptyPiecesMatchEmpty) {
  EXPECT_EQ(run("()", "x"), "(0,0)(0,0)");
  EXPECT_EQ(run("a|", "b"), "(0,0)");
  EXPECT_EQ(run("(|a)b", "ab"), "(0,2)(0,1)");
  EXPECT_EQ(run("a{0}b", "ab"), "(1,2)");
  EXPECT_EQ(run("$^", ""), "(0,0)");
  EXPECT_EQ(run("a**", "aa"), "(0,2)");
  EXPECT_EQ(run("(ab){1}{2}", "ababab"), "(0,4)(2,4)");
}

TEST(RegexLifetime, FreeIsIdempotentAndZeroedIsHarmless) {
  vx_regex_t zero;
  std::memset(&zero, 0, sizeof zero);
  vx_regfree(&zero);
  vx_regfree(nullptr);
  vx_regex_t re;
  ASSERT_EQ(vx_regcomp(&re, "a", VX_REG_EXTENDED), 0);
  vx_regfree(&re);
  vx_regfree(&re);
  EXPECT_NE(vx_regexec(&re, "a", 0, nullptr, 0), 0);  // freed: refused, no crash
}

TEST(RegexCache, SamePatternDifferentFlagsStayDistinct) {
  vx_regex_t plain, icase, nosub, nl;
  ASSERT_EQ(vx_regcomp(&plain, "^(a).$", VX_REG_EXTENDED), 0);
  ASSERT_EQ(vx_regcomp(&icase, "^(a).$", VX_REG_EXTENDED | VX_REG_ICASE), 0);
  ASSERT_EQ(vx_regcomp(&nosub, "^(a).$", VX_REG_EXTENDED | VX_REG_NOSUB), 0);
  ASSERT_EQ(vx_regcomp(&nl, "^(a).$", VX_REG_EXTENDED | VX_REG_NEWLINE), 0);
  vx_regmatch_t pm[2];
  EXPECT_EQ(vx_regexec(&plain, "Ab", 2, pm, 0), VX_REG_NOMATCH);
  EXPECT_EQ(vx_regexec(&icase, "Ab", 2, pm, 0), 0);
  pm[1].rm_so = -9;
  EXPECT_EQ(vx_regexec(&nosub, "ab", 2, pm, 0), 0);
  EXPECT_EQ(pm[1].rm_so, -9);
  EXPECT_EQ(vx_regexec(&plain, "x\na\n", 2, pm, 0), VX_REG_NOMATCH);
  EXPECT_EQ(vx_regexec(&nl, "x\nab\n", 2, pm, 0), 0);
  EXPECT_EQ(pm[1].rm_so, 2);
  vx_regfree(&plain);
  vx_regfree(&icase);
  vx_regfree(&nosub);
  vx_regfree(&nl);
}

TEST(RegexCache, SharedProgramsSurviveEvictionAndFree) {
  vx_regex_t first, again;
  ASSERT_EQ(vx_regcomp(&first, "k(e)y", VX_REG_EXTENDED), 0);
  ASSERT_EQ(vx_regcomp(&again, "k(e)y", VX_REG_EXTENDED), 0);
  vx_regfree(&first);  // the other handle still works
  // Push it out of the cache with many other patterns.
  for (int k = 0; k < 100; k++) {
    vx_regex_t other;
    std::string p = "p" + std::to_string(k);
    ASSERT_EQ(vx_regcomp(&other, p.c_str(), VX_REG_EXTENDED), 0);
    vx_regfree(&other);
  }
  vx_regmatch_t pm[2];
  ASSERT_EQ(vx_regexec(&again, "a key", 2, pm, 0), 0);
  EXPECT_EQ(pm[1].rm_so, 3);
  vx_regfree(&again);
}

TEST(RegexCache, ConcurrentUseIsSafe) {
  const char* patterns[] = {"^.*$", "^.*\\.txt$", "^data.?\\.csv$", "(a|b)*c", "x(y)?z"};
  const bool matches[] = {true, false, true, true, false};  // against "data1.csv"
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; t++) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < 300; k++) {
        int which = (k + t) % 5;
        const char* p = patterns[which];
        vx_regex_t re;
        if (vx_regcomp(&re, p, VX_REG_EXTENDED | ((k & 1) ? VX_REG_ICASE : 0)) != 0) {
          failures[t]++;
          continue;
        }
        vx_regmatch_t pm[2];
        bool m = vx_regexec(&re, "data1.csv", 2, pm, 0) == 0;
        if (m != matches[which]) failures[t]++;
        vx_regfree(&re);
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

double seconds_for(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(RegexLimits, NoBlowupOnHostilePatterns) {
  // A wildcard mask turned into a pattern, against a long run of 'a'.
  std::string many_a(20000, 'a');
  double t = seconds_for([&] {
    EXPECT_EQ(run("^.*a.*a.*a.*a.*a.*a.*a.*a.*a.*a.*b$", many_a.c_str()), "nomatch");
    EXPECT_EQ(run("^(.*a)*.*b$", many_a.c_str()), "nomatch");
  });
  EXPECT_LT(t, 5.0);

  // A 1 MB subject; submatches over a quarter of it (slow under sanitizers).
  std::string big(1 << 20, 'a');
  big.back() = 'c';
  std::string quarter(big, big.size() - (1 << 18));
  t = seconds_for([&] {
    EXPECT_EQ(run("(a|b)*c", quarter.c_str()), "(0,262144)(262142,262143)");
    EXPECT_EQ(run("x+y", big.c_str()), "nomatch");
    EXPECT_EQ(run("^(a*)*$", big.c_str()), "nomatch");
    EXPECT_EQ(run("a*c", big.c_str(), VX_REG_NOSUB), "(0,0)");  // NOSUB: run() prints no offsets
  });
  EXPECT_LT(t, 30.0);

  t = seconds_for([&] {
    std::string s(300, 'a');
    EXPECT_EQ(run("(a{1,255})", s.c_str()), "(0,255)(0,255)");
    EXPECT_EQ(run("a{1,255}a{1,255}", s.c_str()), "(0,300)");
  });
  EXPECT_LT(t, 5.0);
}

TEST(RegexLimits, DeepOrHugePatternsAreRefused) {
  std::string deep(5000, '(');
  deep += "a";
  deep += std::string(5000, ')');
  EXPECT_EQ(compile_code(deep.c_str()), VX_REG_ESPACE);
  std::string stacked = "a";
  for (int k = 0; k < 5000; k++) stacked += "*";
  EXPECT_EQ(compile_code(stacked.c_str()), VX_REG_ESPACE);
  EXPECT_EQ(compile_code("((a{1,255}){1,255}){1,255}"), VX_REG_ESPACE);
  std::string ok_depth(100, '(');
  ok_depth += "x";
  ok_depth += std::string(100, ')');
  EXPECT_EQ(compile_code(ok_depth.c_str()), 0);
}

TEST(RegexLimits, CommonFilterPatternsAreFast) {
  const char* patterns[] = {"^.*$", "^.*\\.txt$", "^data.?\\.csv$"};
  double t = seconds_for([&] {
    for (int k = 0; k < 3000; k++) {
      vx_regex_t re;
      vx_regcomp(&re, patterns[k % 3], VX_REG_EXTENDED | VX_REG_ICASE | VX_REG_NOSUB);
      vx_regexec(&re, "Quarterly report 2024.txt", 0, nullptr, 0);
      vx_regfree(&re);
    }
  });
  EXPECT_LT(t / 3000, 200e-6);  // generous, for sanitizer builds and Wine
}

}  // namespace
