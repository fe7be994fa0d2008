// Matching: a leftmost-longest NFA search for the overall match, then a
// top-down walk of the syntax tree over the matched span that places every
// subexpression, using forward and backward NFA passes restricted to the
// fragment of the node at hand.  Nothing here recurses on subject length.
#include <cstring>

#include "vx_internal.h"

namespace vx {

namespace {

constexpr size_t kNone = (size_t)-1;

// Positions are byte offsets.  In UTF-8 mode the matcher only ever stands on
// character boundaries: it starts at 0 (or at the end of a unit) and steps
// over whole units, so '\n' tests and group offsets never split a character.
struct Subject {
  const unsigned char* s;
  size_t n;
  bool notbol, noteol, newline, utf8;
  bool bol(size_t p) const { return p == 0 ? !notbol : (newline && s[p - 1] == '\n'); }
  bool eol(size_t p) const { return p == n ? !noteol : (newline && s[p] == '\n'); }
  // The unit at p (p < n); `next` gets the position after it.
  uint32_t at(size_t p, size_t& next) const {
    if (!utf8 || s[p] < 0x80) {
      next = p + 1;
      return s[p];
    }
    size_t len;
    uint32_t u = decode_utf8(s, n, p, len);
    next = p + len;
    return u;
  }
  // The unit that ends at p (p > 0); `prev` gets the position before it.
  uint32_t before(size_t p, size_t& prev) const {
    if (!utf8 || s[p - 1] < 0x80) {
      prev = p - 1;
      return s[p - 1];
    }
    size_t len;
    uint32_t u = decode_utf8_before(s, n, p, len);
    prev = p - len;
    return u;
  }
};

// Row-major bit matrix: one row per subject position, one column per mark.
struct BitMatrix {
  size_t cols = 0;
  size_t words = 0;
  std::vector<uint64_t> bits;
  void reset(size_t rows, size_t c) {
    cols = c;
    words = (c + 63) / 64;
    bits.assign(rows * words, 0);
  }
  void set(size_t r, size_t c) { bits[r * words + (c >> 6)] |= uint64_t(1) << (c & 63); }
  bool get(size_t r, size_t c) const { return (bits[r * words + (c >> 6)] >> (c & 63)) & 1; }
};

class Matcher {
 public:
  Matcher(const Program& p, const Subject& s) : P(p), S(s) { mark.assign(P.states.size(), 0); }

  // Leftmost-longest overall match. With need_end false, any match will do.
  bool search(bool need_end, size_t& so, size_t& eo) {
    size_t best_s = kNone, best_e = 0;
    const bool one_start = P.anchored && !S.newline;
    std::vector<Thread>& cur = threads_a;
    std::vector<Thread>& nxt = threads_b;
    cur.clear();
    match_from = kNone;
    uint32_t g = next_gen();
    close_top(P.start, 0, 0, g, cur);
    for (size_t p = 0, q = 0;; p = q) {
      if (match_from != kNone) {
        size_t st = match_from;
        if (best_s == kNone || st < best_s || (st == best_s && p > best_e)) {
          best_s = st;
          best_e = p;
        }
        if (!need_end) break;
      }
      if (p == S.n) break;
      if (cur.empty() && (best_s != kNone || one_start)) break;
      uint32_t g2 = next_gen();
      nxt.clear();
      match_from = kNone;
      const uint32_t c = S.at(p, q);
      for (const Thread& t : cur) {
        if (best_s != kNone && t.from > best_s) continue;
        const State& st = P.states[t.q];
        if (P.sets[st.set].has(c)) close_top(st.out1, t.from, q, g2, nxt);
      }
      if (best_s == kNone && !one_start) close_top(P.start, q, q, g2, nxt);
      cur.swap(nxt);
      g = g2;
    }
    if (best_s == kNone) return false;
    so = best_s;
    eo = best_e;
    return true;
  }

  void submatches(size_t so, size_t eo, size_t nmatch, vx_regmatch_t* pm) {
    out = pm;
    nout = nmatch;
    place(P.root, so, eo);
  }

 private:
  const Program& P;
  const Subject& S;
  std::vector<uint32_t> mark;
  struct Thread {
    int q;
    size_t from;  // where this thread's match attempt started
  };
  std::vector<Thread> threads_a, threads_b;
  size_t match_from = kNone;  // start of the thread that reached Match
  uint32_t gen = 0;
  std::vector<int> list_a, list_b, stack;
  vx_regmatch_t* out = nullptr;
  size_t nout = 0;

  uint32_t next_gen() {
    if (++gen == 0) {
      std::fill(mark.begin(), mark.end(), 0);
      gen = 1;
    }
    return gen;
  }

  // Epsilon closure for the search.  The first thread to reach a state owns
  // it, and threads are added in order of their start, so the leftmost wins.
  void close_top(int seed, size_t from, size_t p, uint32_t g, std::vector<Thread>& list) {
    stack.clear();
    stack.push_back(seed);
    while (!stack.empty()) {
      int q = stack.back();
      stack.pop_back();
      if (mark[q] == g) continue;
      mark[q] = g;
      const State& st = P.states[q];
      switch (st.kind) {
        case SK::Eps:
          if (st.out2 >= 0) stack.push_back(st.out2);
          if (st.out1 >= 0) stack.push_back(st.out1);
          break;
        case SK::Bol:
          if (S.bol(p)) stack.push_back(st.out1);
          break;
        case SK::Eol:
          if (S.eol(p)) stack.push_back(st.out1);
          break;
        case SK::Set:
          list.push_back({q, from});
          break;
        case SK::Match:
          match_from = from;
          break;
      }
    }
  }

  // Forward closure restricted to states [lo, hi].
  void close_fwd(int seed, int lo, int hi, size_t p, uint32_t g, std::vector<int>& list) {
    stack.clear();
    stack.push_back(seed);
    while (!stack.empty()) {
      int q = stack.back();
      stack.pop_back();
      if (q < lo || q > hi || mark[q] == g) continue;
      mark[q] = g;
      const State& st = P.states[q];
      switch (st.kind) {
        case SK::Eps:
          if (st.out2 >= 0) stack.push_back(st.out2);
          if (st.out1 >= 0) stack.push_back(st.out1);
          break;
        case SK::Bol:
          if (S.bol(p)) stack.push_back(st.out1);
          break;
        case SK::Eol:
          if (S.eol(p)) stack.push_back(st.out1);
          break;
        case SK::Set:
          list.push_back(q);
          break;
        case SK::Match:
          break;
      }
    }
  }

  // Backward closure: states from which `seed` at p is reachable without input.
  void close_bwd(int seed, int lo, int hi, size_t p, uint32_t g, std::vector<int>& list) {
    stack.clear();
    stack.push_back(seed);
    while (!stack.empty()) {
      int q = stack.back();
      stack.pop_back();
      if (q < lo || q > hi || mark[q] == g) continue;
      mark[q] = g;
      list.push_back(q);
      for (int k = P.pred_off[q]; k < P.pred_off[q + 1]; k++) {
        int x = P.preds[k];
        if (x < lo || x > hi || mark[x] == g) continue;
        SK kind = P.states[x].kind;
        if (kind == SK::Eps || (kind == SK::Bol && S.bol(p)) || (kind == SK::Eol && S.eol(p)))
          stack.push_back(x);
      }
    }
  }

  // Positions k (ascending, from <= k <= to) at which the fragment [lo, hi],
  // entered at `entry` at `from`, can be at `target`.  Stops as soon as the
  // fragment has no live state, so the cost follows how far it can run.
  void forward(int lo, int hi, int entry, int target, size_t from, size_t to,
               std::vector<size_t>& reach) {
    reach.clear();
    std::vector<int>& cur = list_a;
    std::vector<int>& nxt = list_b;
    cur.clear();
    uint32_t g = next_gen();
    close_fwd(entry, lo, hi, from, g, cur);
    for (size_t p = from, next = from;; p = next) {
      if (mark[target] == g) reach.push_back(p);
      if (p == to || cur.empty()) break;
      uint32_t g2 = next_gen();
      nxt.clear();
      const uint32_t c = S.at(p, next);
      for (int q : cur) {
        const State& st = P.states[q];
        if (P.sets[st.set].has(c)) close_fwd(st.out1, lo, hi, next, g2, nxt);
      }
      cur.swap(nxt);
      g = g2;
    }
  }

  // m.get(k - from, j) is set when state marks[j] at position k can reach
  // `target` at position `to` inside fragment [lo, hi].
  void backward(int lo, int hi, int target, size_t from, size_t to, const std::vector<int>& marks,
                BitMatrix& m) {
    m.reset(to - from + 1, marks.size());
    std::vector<int>& cur = list_a;
    std::vector<int>& nxt = list_b;
    cur.clear();
    uint32_t g = next_gen();
    close_bwd(target, lo, hi, to, g, cur);
    for (size_t p = to, prev = to;; p = prev) {
      for (size_t j = 0; j < marks.size(); j++)
        if (mark[marks[j]] == g) m.set(p - from, j);
      if (p == from || cur.empty()) break;
      uint32_t g2 = next_gen();
      nxt.clear();
      const uint32_t c = S.before(p, prev);
      for (int r : cur) {
        for (int k = P.pred_off[r]; k < P.pred_off[r + 1]; k++) {
          int x = P.preds[k];
          if (x < lo || x > hi) continue;
          const State& st = P.states[x];
          if (st.kind == SK::Set && mark[x] != g2 && P.sets[st.set].has(c))
            close_bwd(x, lo, hi, prev, g2, nxt);
        }
      }
      cur.swap(nxt);
      g = g2;
    }
  }

  bool matches_exact(const Node& n, size_t s, size_t e) {
    std::vector<size_t> reach;
    forward(n.lo, n.hi, n.entry, n.exit, s, e, reach);
    return !reach.empty() && reach.back() == e;
  }

  void set_group(int g, size_t s, size_t e) {
    if ((size_t)g < nout) {
      out[g].rm_so = (vx_regoff_t)s;
      out[g].rm_eo = (vx_regoff_t)e;
    }
  }

  // Node n matched exactly [s, e]: place the groups inside it.
  void place(int n, size_t s, size_t e) {
    const Node& N = P.nodes[n];
    if (!N.has_group) return;
    switch (N.kind) {
      case NK::Group:
        set_group(N.group, s, e);
        place(N.kids[0], s, e);
        return;
      case NK::Alt:
        // The first alternative that spans [s, e] exactly.
        for (size_t k = 0; k < N.kids.size(); k++) {
          if (k + 1 == N.kids.size() || matches_exact(P.nodes[N.kids[k]], s, e)) {
            place(N.kids[k], s, e);
            return;
          }
        }
        return;
      case NK::Concat:
        place_concat(N, s, e);
        return;
      case NK::Repeat:
        place_repeat(N, s, e);
        return;
      default:
        return;
    }
  }

  // Each element, left to right, takes the longest extent that still lets
  // the rest of the concatenation match up to e.  Runs of elements of fixed
  // width without groups are handled as one segment.
  void place_concat(const Node& N, size_t s, size_t e) {
    std::vector<std::pair<int, int>> segs;  // [first, last] kid indices
    const std::vector<int>& kids = N.kids;
    for (size_t k = 0; k < kids.size(); k++) {
      bool fx = P.nodes[kids[k]].fixed;
      if (fx && !segs.empty() && P.nodes[kids[segs.back().second]].fixed)
        segs.back().second = (int)k;
      else
        segs.push_back({(int)k, (int)k});
    }
    // Only segments up to the last one holding a group need placing.
    size_t last_needed = 0;
    for (size_t t = 0; t < segs.size(); t++)
      if (P.nodes[kids[segs[t].first]].has_group) last_needed = t;
    std::vector<int> marks;
    for (size_t t = 1; t <= last_needed + 1 && t < segs.size(); t++)
      marks.push_back(P.nodes[kids[segs[t].first]].entry);
    BitMatrix m;
    backward(N.lo, N.hi, N.exit, s, e, marks, m);
    std::vector<size_t> reach;
    size_t pos = s;
    for (size_t t = 0; t <= last_needed; t++) {
      const Node& a = P.nodes[kids[segs[t].first]];
      const Node& b = P.nodes[kids[segs[t].second]];
      size_t end = e;
      if (t + 1 < segs.size()) {
        forward(a.lo, b.hi, a.entry, b.exit, pos, e, reach);
        end = kNone;
        for (size_t r = reach.size(); r-- > 0;)
          if (m.get(reach[r] - s, t)) {
            end = reach[r];
            break;
          }
        if (end == kNone) return;  // cannot happen for a real match
      }
      if (segs[t].first == segs[t].second) place(kids[segs[t].first], pos, end);
      pos = end;
    }
  }

  // Iterations are taken left to right, each as long as possible while the
  // rest of the repetition can still reach e; only the last one is placed.
  // Iterations beyond the minimum never match empty, except that a group
  // repeated zero or more times over an empty span matches it once.
  void place_repeat(const Node& N, size_t s, size_t e) {
    const Node& X = P.nodes[N.kids[0]];
    int mn = N.min, mx = N.max;
    bool have_last = false;
    size_t ls = 0, le = 0;
    if (s == e) {
      if (mn > 0 || matches_exact(X, e, e)) {
        have_last = true;
        ls = le = e;
      }
    } else {
      BitMatrix m;
      backward(N.lo, N.hi, N.exit, s, e, N.bounds, m);
      std::vector<size_t> reach;
      size_t pos = s;
      int count = 0;
      while (pos < e && (mx < 0 || count < mx)) {
        size_t idx = mx < 0 ? (size_t)(count + 1 < mn ? count + 1 : mn) : (size_t)count + 1;
        forward(X.lo, X.hi, X.entry, X.exit, pos, e, reach);
        size_t kmin = count < mn ? pos : pos + 1;
        size_t end = kNone;
        for (size_t r = reach.size(); r-- > 0 && reach[r] >= kmin;)
          if (m.get(reach[r] - s, idx)) {
            end = reach[r];
            break;
          }
        if (end == kNone) break;
        have_last = true;
        ls = pos;
        le = end;
        pos = end;
        count++;
      }
      if (pos == e && count < mn) {
        have_last = true;
        ls = le = e;
      }
    }
    if (have_last) place(N.kids[0], ls, le);
  }
};

}  // namespace

int execute(const Program& p, const char* str, size_t nmatch, vx_regmatch_t* pm, int eflags) {
  Subject subj;
  subj.s = (const unsigned char*)str;
  subj.n = std::strlen(str);
  subj.notbol = eflags & VX_REG_NOTBOL;
  subj.noteol = eflags & VX_REG_NOTEOL;
  subj.newline = p.cflags & VX_REG_NEWLINE;
  subj.utf8 = p.cflags & VX_REG_UTF8;
  if (p.cflags & VX_REG_NOSUB) nmatch = 0;
  if (!pm) nmatch = 0;
  Matcher m(p, subj);
  size_t so = 0, eo = 0;
  if (!m.search(nmatch > 0, so, eo)) return VX_REG_NOMATCH;
  if (nmatch == 0) return 0;
  for (size_t k = 0; k < nmatch; k++) pm[k].rm_so = pm[k].rm_eo = -1;
  pm[0].rm_so = (vx_regoff_t)so;
  pm[0].rm_eo = (vx_regoff_t)eo;
  if (nmatch > 1 && p.nsub > 0) m.submatches(so, eo, nmatch, pm);
  return 0;
}

}  // namespace vx
