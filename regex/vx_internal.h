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
constexpr int kMaxNesting = 200;    // parentheses and stacked repeats
constexpr int kMaxStates = 400000;  // NFA states after expanding {m,n}
constexpr int kMaxCount = 255;      // RE_DUP_MAX

struct ByteSet {
  uint64_t w[4] = {0, 0, 0, 0};
  void add(unsigned c) { w[c >> 6] |= uint64_t(1) << (c & 63); }
  bool has(unsigned c) const { return (w[c >> 6] >> (c & 63)) & 1; }
  bool operator==(const ByteSet& o) const {
    return w[0] == o.w[0] && w[1] == o.w[1] && w[2] == o.w[2] && w[3] == o.w[3];
  }
};

enum class NK : uint8_t { Empty, Set, Bol, Eol, Concat, Alt, Repeat, Group };

struct Node {
  NK kind = NK::Empty;
  bool has_group = false;  // a Group lies inside (and can be reached)
  bool fixed = false;      // no group, width 0 or 1: merged freely in concats
  int set = -1;            // Set: index into Program::sets
  int group = 0;           // Group: 1-based subexpression number
  int min = 0, max = 0;    // Repeat: max < 0 means unbounded
  int depth = 1;
  std::vector<int> kids;
  // Filled by the NFA builder from the first copy of the node: states
  // [lo, hi] form the fragment, entered at `entry`, left through `exit`.
  int lo = -1, hi = -1, entry = -1, exit = -1;
  std::vector<int> bounds;  // Repeat: state reached after c iterations
};

enum class SK : uint8_t { Eps, Set, Bol, Eol, Match };

struct State {
  SK kind = SK::Eps;
  int set = -1;
  int out1 = -1, out2 = -1;
};

struct Program {
  std::atomic<int> refs{1};
  std::string pattern;  // cache key, with cflags and fold_gen
  int cflags = 0;
  unsigned fold_gen = 0;

  size_t nsub = 0;
  std::vector<Node> nodes;
  int root = -1;
  std::vector<ByteSet> sets;
  std::vector<State> states;
  int start = -1, match = -1;
  bool anchored = false;             // every match must start at a ^
  std::vector<int> pred_off, preds;  // reverse edges, CSR layout
};

// Case-fold table (REG_ICASE).
struct FoldTable {
  unsigned char upper[256];
  unsigned char lower[256];
};
extern FoldTable g_fold;
extern std::atomic<unsigned> g_fold_gen;
void fold_reset_ascii();

// Builds `p` from p.pattern and p.cflags; returns 0 or a REG_ code.
int compile(Program& p);

// Returns 0 on a match (filling pm[0..nmatch-1]) or VX_REG_NOMATCH.
int execute(const Program& p, const char* str, size_t nmatch, vx_regmatch_t* pm, int eflags);

}  // namespace vx
