// Internal structures shared by the parser, the NFA builder and the matcher.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#ifndef VX_REGEX_PREFIXED_ONLY
#define VX_REGEX_PREFIXED_ONLY
#endif
#include "vx_regex.h"

namespace vx {

// Limits that keep compile time, memory and recursion depth bounded.
constexpr int max_nesting = 200;       // parentheses and stacked repeats
constexpr int max_states = 400000;     // NFA states after expanding {m,n}
constexpr int max_repeat_count = 255;  // RE_DUP_MAX

struct byte_set {
  uint64_t words[4] = {0, 0, 0, 0};
  void add(unsigned c) { words[c >> 6] |= uint64_t(1) << (c & 63); }
  bool has(unsigned c) const { return (words[c >> 6] >> (c & 63)) & 1; }
  bool operator==(const byte_set& o) const {
    return words[0] == o.words[0] && words[1] == o.words[1] && words[2] == o.words[2] &&
           words[3] == o.words[3];
  }
};

// The unit of matching is a byte, or with VX_REG_UTF8 a character: a code
// point, or a byte that does not start a valid UTF-8 sequence, which stands
// for itself as stray_base + byte (a value in the surrogate block, which no
// valid sequence can decode to).
constexpr uint32_t stray_base = 0xDC00;
constexpr uint32_t max_code_point = 0x10FFFF;
constexpr uint32_t surrogate_first = 0xD800, surrogate_last = 0xDFFF;

inline bool is_stray(uint32_t u) {
  return u >= stray_base + 0x80 && u <= stray_base + 0xFF;
}

// The character that starts at s[p] (p < n); `len` gets its length in bytes.
inline uint32_t decode_utf8(const unsigned char* s, size_t n, size_t p, size_t& len) {
  const unsigned b0 = s[p];
  len = 1;
  if (b0 < 0x80) return b0;
  size_t need;
  uint32_t cp;
  unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;  // overlong
    if (b0 == 0xED) hi = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;  // overlong
    if (b0 == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return stray_base + b0;
  }
  if (n - p <= need) return stray_base + b0;
  for (size_t k = 1; k <= need; ++k) {
    const unsigned b = s[p + k];
    if (b < lo || b > hi) return stray_base + b0;
    lo = 0x80;
    hi = 0xBF;
    cp = (cp << 6) | (b & 0x3F);
  }
  len = need + 1;
  return cp;
}

// The character that ends at s[p] (0 < p <= n), where p is a character
// boundary of the text read from its start.  A valid sequence is never part
// of another, so looking back at most three bytes decides it.
inline uint32_t decode_utf8_before(const unsigned char* s, size_t n, size_t p, size_t& len) {
  const unsigned b = s[p - 1];
  len = 1;
  if (b < 0x80) return b;
  if (b <= 0xBF) {
    for (size_t k = 2; k <= 4 && k <= p; ++k) {
      size_t l;
      uint32_t cp = decode_utf8(s, n, p - k, l);
      if (l == k) {
        len = k;
        return cp;
      }
    }
  }
  return stray_base + b;
}

// Sorted, disjoint, inclusive ranges of units; the parser's working form.
struct unit_set {
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  void add(uint32_t lo, uint32_t hi) { ranges.push_back({lo, hi}); }
  void add(uint32_t u) { ranges.push_back({u, u}); }
  void normalize();  // sorts and merges what add() appended
  bool has(uint32_t u) const;
};

// A compiled set: a bitmap for units below 256 (everything in byte mode),
// sorted ranges for the rest.
struct char_set {
  byte_set low;
  std::vector<std::pair<uint32_t, uint32_t>> high;
  bool has(uint32_t u) const { return u < 256 ? low.has(u) : has_high(u); }
  bool has_high(uint32_t u) const;
  bool operator==(const char_set& o) const { return low == o.low && high == o.high; }
};

// Unicode simple case folding (vx_unicode.cpp), for VX_REG_UTF8.
// Adds every character that folds like one already in `s` (s normalized).
void unicode_fold_closure(unit_set& s);
// Adds the characters that have another case: kind 0 all of them, 1 those
// that fold to another (upper), 2 those that others fold to (lower).
void unicode_cased(unit_set& s, int kind);

enum class node_kind : uint8_t { empty, set, bol, eol, concat, alt, repeat, group };

struct node {
  node_kind kind = node_kind::empty;
  bool has_group = false;  // a Group lies inside (and can be reached)
  bool fixed = false;      // no group, width 0 or 1 unit: merged freely in concats
  int set = -1;            // set: index into program::sets
  int group = 0;           // Group: 1-based subexpression number
  int min = 0, max = 0;    // Repeat: max < 0 means unbounded
  int depth = 1;
  std::vector<int> kids;
  // Filled by the NFA builder from the first copy of the node: states
  // [lo, hi] form the fragment, entered at `entry`, left through `exit`.
  int lo = -1, hi = -1, entry = -1, exit = -1;
  std::vector<int> bounds;  // Repeat: state reached after c iterations
};

enum class state_kind : uint8_t { epsilon, set, bol, eol, match };

struct nfa_state {
  state_kind kind = state_kind::epsilon;
  int set = -1;
  int out1 = -1, out2 = -1;
};

struct program {
  std::atomic<int> refs{1};
  std::string pattern;  // cache key, with cflags and case_generation
  int cflags = 0;
  unsigned case_generation = 0;

  size_t nsub = 0;
  std::vector<node> nodes;
  int root = -1;
  std::vector<char_set> sets;
  std::vector<nfa_state> states;
  int start = -1, match = -1;
  bool anchored = false;                               // every match must start at a ^
  std::vector<int> predecessor_offsets, predecessors;  // reverse edges, CSR layout
};

// Case-fold table (REG_ICASE without VX_REG_UTF8).
struct fold_table {
  unsigned char upper[256];
  unsigned char lower[256];
};
extern fold_table case_table;
extern std::atomic<unsigned> case_table_generation;
void reset_case_table();

// Builds `p` from p.pattern and p.cflags; returns 0 or a REG_ code.
int compile(program& p);

// Returns 0 on a match (filling pm[0..nmatch-1]) or VX_REG_NOMATCH.
int execute(const program& p, const char* str, size_t nmatch, vx_regmatch_t* pm, int eflags);

}  // namespace vx
