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
#include <regex.h>

#include <cstdint>
#include <chrono>
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
  explicit Gen(Rng& r) : rng(r) {}
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
    if (kind < 9) return {std::string(1, "abc"[rng.below(3)]), false};
    if (kind < 11) return {".", false};
    if (kind == 11) return {std::string("\\") + ".*+?|()[]{}^$"[rng.below(13)], false};
    static const char* const brackets[] = {
        "[ab]",        "[^a]",         "[a-c]",        "[^bc]", "[[:alpha:]]", "[[:upper:]]",
        "[[:lower:]]", "[^[:lower:]]", "[]a]",         "[a-]",  "[.]",         "[[=b=]]",
        "[[.c.]]",     "[^a-b]",       "[[:punct:]c]", "[A-Z]"};
    return {brackets[rng.below(16)], false};
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

}  // namespace
