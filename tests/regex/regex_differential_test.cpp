// Host only: compares vx_regex with the C library's regcomp/regexec on
// generated ERE patterns and subjects.
//
// Compile success, match/no-match and the overall match must agree exactly.
// Submatches must agree too, except in the classes below, where the C
// library is known to depart from the POSIX rule that vx_regex follows
// (see vx_regex.h):
//   repeated group  the pattern has a group under *, +, ? or {m,n}: the C
//                   library may report a group from an earlier iteration,
//                   or let an earlier iteration take less than it could.
//   earlier shorter elsewhere, the C library gives an earlier element
//                   (a subexpression or not) less than the longest extent
//                   possible, as [A-Z]+(.|$) against "ABC" -> (0,3)(2,3).
//   alternative     where several alternatives span the same text, the C
//                   library may take another than the first; vx takes the
//                   first, as the AT&T data expects ("(.a|.b).*|.*(.a|.b)"
//                   against "xa" gives (0,2)(0,2)).
// A second test does the same for UTF-8 text in the C.UTF-8 locale, on the
// overall match only; its own comment lists how the two may differ there.
#include <regex.h>

#include <cstdint>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#define VX_REGEX_PREFIXED_ONLY
#include "vx_regex.h"

namespace {

struct Rng {
  uint64_t s;
  explicit Rng(uint64_t seed) : s(seed) {}
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return (uint32_t)(s >> 11);
  }
  int below(int n) { return (int)(next() % (uint32_t)n); }
};

// Generates patterns together with whether they can match the empty string.
class Gen {
 public:
  // utf8: literals and brackets also hold non-ASCII characters.
  explicit Gen(Rng& r, bool utf8 = false) : rng(r), utf8(utf8) {}
  std::string pattern() {
    groups = 0;
    return alt(0, false).s;
  }

 private:
  struct Part {
    std::string s;
    bool nullable;
  };
  Rng& rng;
  bool utf8;
  int groups = 0;

  // no_anchor: inside a repeated group.  The host library misses matches
  // when ^ or $ sit there (e.g. (^b)+ against "bb"), so none are generated.
  Part alt(int depth, bool no_anchor) {
    Part p = branch(depth, no_anchor);
    while (rng.below(4) == 0) {
      Part b = branch(depth, no_anchor);
      p.s += "|" + b.s;
      p.nullable = p.nullable || b.nullable;
    }
    return p;
  }
  Part branch(int depth, bool no_anchor) {
    // Never empty: the host library can loop forever on an empty
    // group or alternative inside a repetition.
    int n = rng.below(3) + 1;
    Part p{"", true};
    for (int k = 0; k < n; k++) {
      Part q = piece(depth, no_anchor);
      p.s += q.s;
      p.nullable = p.nullable && q.nullable;
    }
    return p;
  }
  Part piece(int depth, bool no_anchor) {
    int kind = rng.below(20);
    if (kind == 0 && !no_anchor) return {"^", true};
    if (kind == 1 && !no_anchor) return {"$", true};
    std::string q;
    bool q_zero = false;
    switch (rng.below(10)) {
      case 0:
        q = "*";
        q_zero = true;
        break;
      case 1:
        q = "+";
        break;
      case 2:
        q = "?";
        q_zero = true;
        break;
      case 3: {
        int m = rng.below(3);
        q_zero = m == 0;
        switch (rng.below(3)) {
          case 0:
            q = "{" + std::to_string(m) + "}";
            break;
          case 1:
            q = "{" + std::to_string(m) + ",}";
            break;
          default:
            q = "{" + std::to_string(m) + "," + std::to_string(m + rng.below(3)) + "}";
            break;
        }
        break;
      }
      default:
        break;
    }
    Part a = atom(depth, no_anchor || !q.empty());
    // The host library can loop forever on a repeated group that can
    // match empty, such as (b*|.?)*: such groups stay unrepeated.
    if (a.nullable) return a;
    return {a.s + q, q_zero};
  }
  Part atom(int depth, bool no_anchor) {
    int kind = rng.below(16);
    if (kind < 3 && depth < 3 && groups < 9) {
      groups++;
      Part p = alt(depth + 1, no_anchor);
      return {"(" + p.s + ")", p.nullable};
    }
    if (utf8) return utf8_atom(kind);
    if (kind < 9) return {std::string(1, "abc"[rng.below(3)]), false};
    if (kind < 11) return {".", false};
    if (kind == 11) return {std::string("\\") + ".*+?|()[]{}^$"[rng.below(13)], false};
    static const char* const brackets[] = {
        "[ab]",        "[^a]",         "[a-c]",        "[^bc]", "[[:alpha:]]", "[[:upper:]]",
        "[[:lower:]]", "[^[:lower:]]", "[]a]",         "[a-]",  "[.]",         "[[=b=]]",
        "[[.c.]]",     "[^a-b]",       "[[:punct:]c]", "[A-Z]"};
    return {brackets[rng.below(16)], false};
  }
  Part utf8_atom(int kind) {
    static const char* const literals[] = {"a", "b", "é", "É", "ж", "Ж", "日", "😀"};
    if (kind < 9) return {literals[rng.below(8)], false};
    if (kind < 11) return {".", false};
    if (kind == 11) return {std::string("\\") + ".*+?|()[]{}^$"[rng.below(13)], false};
    static const char* const brackets[] = {
        "[éж]",        "[^é]",        "[^日]",        "[а-я]",        "[А-Я]",   "[à-ÿ]",
        "[日😀]",       "[^a😀]",       "[é-ж]",        "[[=é=]]",      "[[.ж.]]", "[[:alpha:]]",
        "[[:upper:]]", "[[:lower:]]", "[^[:lower:]]", "[[:punct:]b]", "[^b-z]",  "[a-zé]"};
    return {brackets[rng.below(18)], false};
  }
};

// Alphabets: 0 plain, 1 mixed case, 2 with newlines.  Mixed case comes
// without newlines: with REG_ICASE the host library lets ^ and $ match at a
// newline as if REG_NEWLINE were set.
std::string subject(Rng& rng, int alphabet) {
  static const char* const chars[] = {"aaabbbcc.*(", "aAbBcC.", "abcAB.\n"};
  const char* set = chars[alphabet];
  int n = (int)std::strlen(set);
  int len = rng.below(8);
  std::string s;
  for (int k = 0; k < len; k++) s += set[rng.below(n)];
  return s;
}

// The UTF-8 alphabets, by character: 0 plain, 1 mixed case, 2 with newlines.
std::string utf8_subject(Rng& rng, int alphabet) {
  static const std::vector<std::string> chars[] = {
      {"a", "b", "é", "ж", "日", "😀", "."},
      {"a", "B", "é", "É", "ж", "Ж", "日", "😀"},
      {"a", "b", "é", "Ж", "日", "😀", "\n"},
  };
  const std::vector<std::string>& set = chars[alphabet];
  int len = rng.below(8);
  std::string s;
  for (int k = 0; k < len; k++) s += set[rng.below((int)set.size())];
  return s;
}

struct Outcome {
  bool compiled = false;
  bool matched = false;
  std::vector<std::pair<long, long>> m;
};

constexpr int kGroups = 10;

Outcome run_host(const std::string& pat, const std::string& subj, int cflags) {
  Outcome o;
  regex_t re;
  int host_flags = REG_EXTENDED | ((cflags & VX_REG_ICASE) ? REG_ICASE : 0) |
                   ((cflags & VX_REG_NOSUB) ? REG_NOSUB : 0) |
                   ((cflags & VX_REG_NEWLINE) ? REG_NEWLINE : 0);
  if (regcomp(&re, pat.c_str(), host_flags) != 0) return o;
  o.compiled = true;
  regmatch_t pm[kGroups];
  o.matched = regexec(&re, subj.c_str(), kGroups, pm, 0) == 0;
  if (o.matched && !(cflags & VX_REG_NOSUB))
    for (size_t k = 0; k < kGroups && k <= re.re_nsub; k++)
      o.m.push_back({pm[k].rm_so, pm[k].rm_eo});
  regfree(&re);
  return o;
}

Outcome run_vx(const std::string& pat, const std::string& subj, int cflags) {
  Outcome o;
  vx_regex_t re;
  if (vx_regcomp(&re, pat.c_str(), cflags | VX_REG_EXTENDED) != 0) return o;
  o.compiled = true;
  vx_regmatch_t pm[kGroups];
  o.matched = vx_regexec(&re, subj.c_str(), kGroups, pm, 0) == 0;
  if (o.matched && !(cflags & VX_REG_NOSUB))
    for (size_t k = 0; k < kGroups && k <= re.re_nsub; k++)
      o.m.push_back({(long)pm[k].rm_so, (long)pm[k].rm_eo});
  vx_regfree(&re);
  return o;
}

bool has_repeated_group(const std::string& p) {
  // A group followed (after its closing paren) by a repetition operator,
  // or nested inside such a group.
  std::vector<size_t> open;
  for (size_t i = 0; i < p.size(); i++) {
    if (p[i] == '\\') {
      i++;
      continue;
    }
    if (p[i] == '[') {
      size_t j = i + 1;
      if (j < p.size() && p[j] == '^') j++;
      if (j < p.size() && p[j] == ']') j++;
      while (j < p.size() && p[j] != ']') {
        if (p[j] == '[' && j + 1 < p.size() &&
            (p[j + 1] == ':' || p[j + 1] == '=' || p[j + 1] == '.')) {
          size_t e = p.find(std::string(1, p[j + 1]) + "]", j + 2);
          j = e + 2;
        } else {
          j++;
        }
      }
      i = j;
      continue;
    }
    if (p[i] == '(') open.push_back(i);
    if (p[i] == ')' && !open.empty()) {
      open.pop_back();
      if (i + 1 < p.size() &&
          (p[i + 1] == '*' || p[i + 1] == '+' || p[i + 1] == '?' || p[i + 1] == '{'))
        return true;
    }
  }
  return false;
}

std::string show(const Outcome& o) {
  std::string s = !o.compiled ? "compile error" : !o.matched ? "no match" : "";
  for (auto& m : o.m) s += "(" + std::to_string(m.first) + "," + std::to_string(m.second) + ")";
  return s;
}

struct Stats {
  long pairs = 0, compile_fail = 0, matched = 0, same = 0;
  long repeated_group = 0, earlier_shorter = 0, later_alternative = 0;
  long mismatches = 0;
};

// The first group where the answers differ.
size_t first_difference(const Outcome& h, const Outcome& v) {
  size_t k = 1;
  while (k < h.m.size() && h.m[k] == v.m[k]) k++;
  return k;
}

// Set on one side and unset on the other: a different alternative was taken.
bool other_alternative(const Outcome& h, const Outcome& v) {
  size_t k = first_difference(h, v);
  return k < h.m.size() && ((h.m[k].first < 0) != (v.m[k].first < 0));
}

// Set on both sides; in the C library it starts earlier (so something before
// it took less) or starts at the same place and is shorter.
bool host_is_earlier_shorter(const Outcome& h, const Outcome& v) {
  size_t k = first_difference(h, v);
  if (k >= h.m.size() || h.m[k].first < 0 || v.m[k].first < 0) return false;
  if (h.m[k].first != v.m[k].first) return h.m[k].first < v.m[k].first;
  return h.m[k].second < v.m[k].second;
}

TEST(RegexDifferential, AgreesWithHostLibrary) {
  Rng rng(0x5eed1234abcdULL);
  Gen gen(rng);
  Stats st;
  int printed = 0;
  double host_time = 0, vx_time = 0;
  const int kPatterns = 25000;
  for (int pi = 0; pi < kPatterns; pi++) {
    std::string pat = gen.pattern();
    bool rep = has_repeated_group(pat);
    for (int si = 0; si < 4; si++) {
      int variant = si % 4;
      int cflags = variant == 1   ? VX_REG_ICASE
                   : variant == 2 ? VX_REG_NOSUB
                   : variant == 3 ? VX_REG_NEWLINE
                                  : 0;
      std::string subj = subject(rng, variant == 1 ? 1 : variant == 3 ? 2 : 0);
      st.pairs++;
      auto t0 = std::chrono::steady_clock::now();
      Outcome h = run_host(pat, subj, cflags);
      auto t1 = std::chrono::steady_clock::now();
      Outcome v = run_vx(pat, subj, cflags);
      auto t2 = std::chrono::steady_clock::now();
      double th = std::chrono::duration<double>(t1 - t0).count();
      double tv = std::chrono::duration<double>(t2 - t1).count();
      host_time += th;
      vx_time += tv;
      if (th > 0.5 || tv > 0.5)
        std::printf("slow pair: /%s/ \"%s\" flags %d: host %.3f s, vx %.3f s\n", pat.c_str(),
                    subj.c_str(), cflags, th, tv);
      if (!h.compiled) st.compile_fail++;
      if (h.matched) st.matched++;
      bool ok = h.compiled == v.compiled && h.matched == v.matched;
      if (ok && !h.m.empty()) ok = h.m.size() == v.m.size() && h.m[0] == v.m[0];
      if (ok && h.m != v.m) {
        if (rep) {
          if (st.repeated_group++ < 5)
            std::printf("repeated group: /%s/ \"%s\" host %s vx %s\n", pat.c_str(), subj.c_str(),
                        show(h).c_str(), show(v).c_str());
          continue;
        }
        if (pat.find('|') != std::string::npos && other_alternative(h, v)) {
          if (st.later_alternative++ < 5)
            std::printf("alternative: /%s/ \"%s\" host %s vx %s\n", pat.c_str(), subj.c_str(),
                        show(h).c_str(), show(v).c_str());
          continue;
        }
        if (host_is_earlier_shorter(h, v)) {
          if (st.earlier_shorter++ < 5)
            std::printf("earlier shorter: /%s/ \"%s\" host %s vx %s\n", pat.c_str(), subj.c_str(),
                        show(h).c_str(), show(v).c_str());
          continue;
        }
        ok = false;
      }
      if (ok) {
        st.same++;
        continue;
      }
      st.mismatches++;
      if (printed++ < 20) {
        ADD_FAILURE() << "pattern /" << pat << "/ flags " << cflags << " subject \"" << subj
                      << "\": host " << show(h) << ", vx " << show(v);
      }
    }
  }
  std::printf(
      "differential: %ld pairs, %ld rejected by both, %ld matched, %ld identical, "
      "%ld repeated-group, %ld earlier-shorter, %ld alternative-choice differences, %ld "
      "mismatches\n",
      st.pairs, st.compile_fail, st.matched, st.same, st.repeated_group, st.earlier_shorter,
      st.later_alternative, st.mismatches);
  std::printf("differential: time in host library %.1f s, in vx_regex %.1f s\n", host_time,
              vx_time);
  EXPECT_EQ(st.mismatches, 0);
  EXPECT_GE(st.pairs, 100000);
}

// Switches the C library to a locale for one test and back.
class LocaleScope {
 public:
  explicit LocaleScope(const char* name) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    saved = old ? old : "C";
    ok = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~LocaleScope() { std::setlocale(LC_ALL, saved.c_str()); }
  bool ok;

 private:
  std::string saved;
};

std::string utf8_encode(uint32_t c) {
  std::string s;
  if (c < 0x80) {
    s += (char)c;
  } else if (c < 0x800) {
    s += (char)(0xC0 | (c >> 6));
    s += (char)(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += (char)(0xE0 | (c >> 12));
    s += (char)(0x80 | ((c >> 6) & 0x3F));
    s += (char)(0x80 | (c & 0x3F));
  } else {
    s += (char)(0xF0 | (c >> 18));
    s += (char)(0x80 | ((c >> 12) & 0x3F));
    s += (char)(0x80 | ((c >> 6) & 0x3F));
    s += (char)(0x80 | (c & 0x3F));
  }
  return s;
}

std::string listed(uint32_t lo, uint32_t hi) {
  std::string s = "[";
  for (uint32_t c = lo; c <= hi; c++) s += utf8_encode(c);
  return s + "]";
}

void replace_all(std::string& s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

// In C.UTF-8 the C library has no collation data and refuses ranges,
// equivalence classes and collating symbols of non-ASCII characters
// (REG_ECOLLATE); it is given them spelt out, character by character.
std::string host_form(std::string p) {
  replace_all(p, "[а-я]", listed(0x430, 0x44F));
  replace_all(p, "[А-Я]", listed(0x410, 0x42F));
  replace_all(p, "[à-ÿ]", listed(0xE0, 0xFF));
  replace_all(p, "[é-ж]", listed(0xE9, 0x436));
  replace_all(p, "[[=é=]]", "[é]");
  replace_all(p, "[[.ж.]]", "[ж]");
  return p;
}

// The classes as vx_regex has them, on the characters the subjects use: in
// the C library [:alpha:] also takes letters without case (日) and
// [:punct:] every symbol (😀); vx_regex keeps to ASCII and cased letters.
std::string host_form_vx_classes(std::string p) {
  p = host_form(p);
  replace_all(p, "[[:alpha:]]", "[a-zA-ZéÉжЖ]");
  replace_all(p, "[[:upper:]]", "[A-ZÉЖ]");
  replace_all(p, "[^[:lower:]]", "[^a-zéж]");
  replace_all(p, "[[:lower:]]", "[a-zéж]");
  replace_all(p, "[[:punct:]b]", "[]!-/:-@[\\^_`{-~b]");
  return p;
}

bool same_overall(const Outcome& h, const Outcome& v) {
  return h.compiled == v.compiled && h.matched == v.matched &&
         (h.m.empty() || (!v.m.empty() && h.m[0] == v.m[0]));
}

// In C.UTF-8 the C library's regcomp works on characters too.  Compiling,
// matching and the overall match must agree, except in one class:
//   class member  the pattern has a character class and the answers agree
//                 once the C library is given the classes as vx_regex
//                 defines them (see host_form_vx_classes).  Its classes
//                 hold letters without case (日) and non-ASCII symbols
//                 (😀), and under REG_ICASE it reads [:upper:] and
//                 [:lower:] as [:alpha:], so 日 matches [[:lower:]].
// The C library takes no non-ASCII range ends (host_form spells those
// ranges out), and subjects hold no stray bytes, which vx_regex's '.'
// matches and the C library's does not; case folding of the characters
// used (é/É, ж/Ж) agrees.
TEST(RegexDifferential, AgreesWithHostLibraryOnUtf8Text) {
  LocaleScope locale("C.UTF-8");
  ASSERT_TRUE(locale.ok) << "the C.UTF-8 locale is missing";
  Rng rng(0x07f8a11ce5ULL);
  Gen gen(rng, true);
  long pairs = 0, compile_fail = 0, matched = 0, same = 0, class_member = 0, mismatches = 0;
  int printed = 0;
  double host_time = 0, vx_time = 0;
  const int kPatterns = 10000;
  for (int pi = 0; pi < kPatterns; pi++) {
    const std::string pat = gen.pattern();
    const std::string host_pat = host_form(pat);
    for (int variant = 0; variant < 4; variant++) {
      int cflags = variant == 1   ? VX_REG_ICASE
                   : variant == 2 ? VX_REG_NOSUB
                   : variant == 3 ? VX_REG_NEWLINE
                                  : 0;
      std::string subj = utf8_subject(rng, variant == 1 ? 1 : variant == 3 ? 2 : 0);
      pairs++;
      auto t0 = std::chrono::steady_clock::now();
      Outcome h = run_host(host_pat, subj, cflags);
      auto t1 = std::chrono::steady_clock::now();
      Outcome v = run_vx(pat, subj, cflags | VX_REG_UTF8);
      auto t2 = std::chrono::steady_clock::now();
      host_time += std::chrono::duration<double>(t1 - t0).count();
      vx_time += std::chrono::duration<double>(t2 - t1).count();
      if (!h.compiled) compile_fail++;
      if (h.matched) matched++;
      if (same_overall(h, v)) {
        same++;
        continue;
      }
      if (pat.find("[:") != std::string::npos &&
          same_overall(run_host(host_form_vx_classes(pat), subj, cflags), v)) {
        if (class_member++ < 5)
          std::printf("class member: /%s/ \"%s\" host %s vx %s\n", pat.c_str(), subj.c_str(),
                      show(h).c_str(), show(v).c_str());
        continue;
      }
      mismatches++;
      if (printed++ < 20)
        ADD_FAILURE() << "pattern /" << pat << "/ flags " << cflags << " subject \"" << subj
                      << "\": host " << show(h) << ", vx " << show(v);
    }
  }
  std::printf(
      "differential, UTF-8: %ld pairs, %ld rejected by both, %ld matched, %ld identical, %ld "
      "class-member differences, %ld mismatches\n",
      pairs, compile_fail, matched, same, class_member, mismatches);
  std::printf("differential, UTF-8: time in host library %.1f s, in vx_regex %.1f s\n", host_time,
              vx_time);
  EXPECT_EQ(mismatches, 0);
  EXPECT_GE(pairs, 40000);
}

}  // namespace
