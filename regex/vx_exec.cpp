// Matching: a leftmost-longest NFA search for the overall match, then a
// top-down walk of the syntax tree over the matched span that places every
// subexpression, using forward and backward NFA passes restricted to the
// fragment of the node at hand.  Nothing here recurses on subject length.
#include <cstring>

#include "vx_internal.h"

namespace vx {

namespace {

constexpr size_t no_position = static_cast<size_t>(-1);

// Positions are byte offsets.  In UTF-8 mode the matcher only ever stands on
// character boundaries: it starts at 0 (or at the end of a unit) and steps
// over whole units, so '\n' tests and group offsets never split a character.
struct subject {
  const unsigned char* text;
  size_t length;
  bool notbol, noteol, newline, utf8;
  bool bol(size_t p) const { return p == 0 ? !notbol : (newline && text[p - 1] == '\n'); }
  bool eol(size_t p) const { return p == length ? !noteol : (newline && text[p] == '\n'); }
  // The unit at p (p < length); `next` gets the position after it.
  uint32_t at(size_t p, size_t& next) const {
    if (!utf8 || text[p] < 0x80) {
      next = p + 1;
      return text[p];
    }
    size_t len;
    uint32_t u = decode_utf8(text, length, p, len);
    next = p + len;
    return u;
  }
  // The unit that ends at p (p > 0); `prev` gets the position before it.
  uint32_t before(size_t p, size_t& prev) const {
    if (!utf8 || text[p - 1] < 0x80) {
      prev = p - 1;
      return text[p - 1];
    }
    size_t len;
    uint32_t u = decode_utf8_before(text, length, p, len);
    prev = p - len;
    return u;
  }
};

// Row-major bit matrix: one row per subject position, one column per mark.
struct bit_matrix {
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

class matcher {
 public:
  matcher(const program& p, const subject& s) : program_(p), subject_(s) {
    marks_.assign(program_.states.size(), 0);
  }

  // Leftmost-longest overall match. With need_end false, any match will do.
  bool search(bool need_end, size_t& so, size_t& eo) {
    size_t best_s = no_position, best_e = 0;
    const bool one_start = program_.anchored && !subject_.newline;
    std::vector<search_thread>& cur = threads_a_;
    std::vector<search_thread>& nxt = threads_b_;
    cur.clear();
    match_from_ = no_position;
    uint32_t g = next_generation();
    close_top(program_.start, 0, 0, g, cur);
    for (size_t p = 0, q = 0;; p = q) {
      if (match_from_ != no_position) {
        size_t st = match_from_;
        if (best_s == no_position || st < best_s || (st == best_s && p > best_e)) {
          best_s = st;
          best_e = p;
        }
        if (!need_end) break;
      }
      if (p == subject_.length) break;
      if (cur.empty() && (best_s != no_position || one_start)) break;
      uint32_t g2 = next_generation();
      nxt.clear();
      match_from_ = no_position;
      const uint32_t c = subject_.at(p, q);
      for (const search_thread& t : cur) {
        if (best_s != no_position && t.from > best_s) continue;
        const nfa_state& st = program_.states[t.q];
        if (program_.sets[st.set].has(c)) close_top(st.out1, t.from, q, g2, nxt);
      }
      if (best_s == no_position && !one_start) close_top(program_.start, q, q, g2, nxt);
      cur.swap(nxt);
      g = g2;
    }
    if (best_s == no_position) return false;
    so = best_s;
    eo = best_e;
    return true;
  }

  void submatches(size_t so, size_t eo, size_t nmatch, vx_regmatch_t* pm) {
    out_ = pm;
    out_count_ = nmatch;
    place(program_.root, so, eo);
  }

 private:
  const program& program_;
  const subject& subject_;
  std::vector<uint32_t> marks_;
  struct search_thread {
    int q;
    size_t from;  // where this thread's match attempt started
  };
  std::vector<search_thread> threads_a_, threads_b_;
  size_t match_from_ = no_position;  // start of the thread that reached the match state
  uint32_t generation_ = 0;
  std::vector<int> list_a_, list_b_, stack_;
  vx_regmatch_t* out_ = nullptr;
  size_t out_count_ = 0;

  uint32_t next_generation() {
    if (++generation_ == 0) {
      std::fill(marks_.begin(), marks_.end(), 0);
      generation_ = 1;
    }
    return generation_;
  }

  // Follows the edges that take no input from `seed` at position p, within
  // states [lo, hi]; `reached(q, kind)` is told of every set and match state.
  template <typename Reached>
  void close(int seed, int lo, int hi, size_t p, uint32_t g, Reached reached) {
    stack_.clear();
    stack_.push_back(seed);
    while (!stack_.empty()) {
      int q = stack_.back();
      stack_.pop_back();
      if (q < lo || q > hi || marks_[q] == g) continue;
      marks_[q] = g;
      const nfa_state& st = program_.states[q];
      switch (st.kind) {
        case state_kind::epsilon:
          if (st.out2 >= 0) stack_.push_back(st.out2);
          if (st.out1 >= 0) stack_.push_back(st.out1);
          break;
        case state_kind::bol:
          if (subject_.bol(p)) stack_.push_back(st.out1);
          break;
        case state_kind::eol:
          if (subject_.eol(p)) stack_.push_back(st.out1);
          break;
        case state_kind::set:
        case state_kind::match:
          reached(q, st.kind);
          break;
      }
    }
  }

  // Epsilon closure for the search.  The first thread to reach a state owns
  // it, and threads are added in order of their start, so the leftmost wins.
  void close_top(int seed, size_t from, size_t p, uint32_t g, std::vector<search_thread>& list) {
    const int last = static_cast<int>(program_.states.size()) - 1;
    close(seed, 0, last, p, g, [&](int q, state_kind kind) {
      if (kind == state_kind::set)
        list.push_back({q, from});
      else
        match_from_ = from;
    });
  }

  // Forward closure restricted to states [lo, hi].
  void close_fwd(int seed, int lo, int hi, size_t p, uint32_t g, std::vector<int>& list) {
    close(seed, lo, hi, p, g, [&](int q, state_kind kind) {
      if (kind == state_kind::set) list.push_back(q);
    });
  }

  // Backward closure: states from which `seed` at p is reachable without input.
  void close_bwd(int seed, int lo, int hi, size_t p, uint32_t g, std::vector<int>& list) {
    stack_.clear();
    stack_.push_back(seed);
    while (!stack_.empty()) {
      int q = stack_.back();
      stack_.pop_back();
      if (q < lo || q > hi || marks_[q] == g) continue;
      marks_[q] = g;
      list.push_back(q);
      for (int k = program_.predecessor_offsets[q]; k < program_.predecessor_offsets[q + 1]; ++k) {
        int x = program_.predecessors[k];
        if (x < lo || x > hi || marks_[x] == g) continue;
        state_kind kind = program_.states[x].kind;
        if (kind == state_kind::epsilon || (kind == state_kind::bol && subject_.bol(p)) ||
            (kind == state_kind::eol && subject_.eol(p)))
          stack_.push_back(x);
      }
    }
  }

  // Positions k (ascending, from <= k <= to) at which the fragment [lo, hi],
  // entered at `entry` at `from`, can be at `target`.  Stops as soon as the
  // fragment has no live state, so the cost follows how far it can run.
  void forward(int lo, int hi, int entry, int target, size_t from, size_t to,
               std::vector<size_t>& reach) {
    reach.clear();
    std::vector<int>& cur = list_a_;
    std::vector<int>& nxt = list_b_;
    cur.clear();
    uint32_t g = next_generation();
    close_fwd(entry, lo, hi, from, g, cur);
    for (size_t p = from, next = from;; p = next) {
      if (marks_[target] == g) reach.push_back(p);
      if (p == to || cur.empty()) break;
      uint32_t g2 = next_generation();
      nxt.clear();
      const uint32_t c = subject_.at(p, next);
      for (int q : cur) {
        const nfa_state& st = program_.states[q];
        if (program_.sets[st.set].has(c)) close_fwd(st.out1, lo, hi, next, g2, nxt);
      }
      cur.swap(nxt);
      g = g2;
    }
  }

  // m.get(k - from, j) is set when state marks[j] at position k can reach
  // `target` at position `to` inside fragment [lo, hi].
  void backward(int lo, int hi, int target, size_t from, size_t to, const std::vector<int>& marks,
                bit_matrix& m) {
    m.reset(to - from + 1, marks.size());
    std::vector<int>& cur = list_a_;
    std::vector<int>& nxt = list_b_;
    cur.clear();
    uint32_t g = next_generation();
    close_bwd(target, lo, hi, to, g, cur);
    for (size_t p = to, prev = to;; p = prev) {
      for (size_t j = 0; j < marks.size(); ++j)
        if (marks_[marks[j]] == g) m.set(p - from, j);
      if (p == from || cur.empty()) break;
      uint32_t g2 = next_generation();
      nxt.clear();
      const uint32_t c = subject_.before(p, prev);
      for (int r : cur) {
        for (int k = program_.predecessor_offsets[r]; k < program_.predecessor_offsets[r + 1];
             ++k) {
          int x = program_.predecessors[k];
          if (x < lo || x > hi) continue;
          const nfa_state& st = program_.states[x];
          if (st.kind == state_kind::set && marks_[x] != g2 && program_.sets[st.set].has(c))
            close_bwd(x, lo, hi, prev, g2, nxt);
        }
      }
      cur.swap(nxt);
      g = g2;
    }
  }

  bool matches_exact(const node& n, size_t s, size_t e) {
    std::vector<size_t> reach;
    forward(n.lo, n.hi, n.entry, n.exit, s, e, reach);
    return !reach.empty() && reach.back() == e;
  }

  void set_group(int g, size_t s, size_t e) {
    if (static_cast<size_t>(g) < out_count_) {
      out_[g].rm_so = static_cast<vx_regoff_t>(s);
      out_[g].rm_eo = static_cast<vx_regoff_t>(e);
    }
  }

  // Node n matched exactly [s, e]: place the groups inside it.
  void place(int n, size_t s, size_t e) {
    const node& current = program_.nodes[n];
    if (!current.has_group) return;
    switch (current.kind) {
      case node_kind::group:
        set_group(current.group, s, e);
        place(current.kids[0], s, e);
        return;
      case node_kind::alt:
        // The first alternative that spans [s, e] exactly.
        for (size_t k = 0; k < current.kids.size(); ++k) {
          if (k + 1 == current.kids.size() ||
              matches_exact(program_.nodes[current.kids[k]], s, e)) {
            place(current.kids[k], s, e);
            return;
          }
        }
        return;
      case node_kind::concat:
        place_concat(current, s, e);
        return;
      case node_kind::repeat:
        place_repeat(current, s, e);
        return;
      default:
        return;
    }
  }

  // Each element, left to right, takes the longest extent that still lets
  // the rest of the concatenation match up to e.  Runs of elements of fixed
  // width without groups are handled as one segment.
  void place_concat(const node& current, size_t s, size_t e) {
    std::vector<std::pair<int, int>> segs;  // [first, last] kid indices
    const std::vector<int>& kids = current.kids;
    for (size_t k = 0; k < kids.size(); ++k) {
      bool fx = program_.nodes[kids[k]].fixed;
      if (fx && !segs.empty() && program_.nodes[kids[segs.back().second]].fixed)
        segs.back().second = static_cast<int>(k);
      else
        segs.push_back({static_cast<int>(k), static_cast<int>(k)});
    }
    // Only segments up to the last one holding a group need placing.
    size_t last_needed = 0;
    for (size_t t = 0; t < segs.size(); ++t)
      if (program_.nodes[kids[segs[t].first]].has_group) last_needed = t;
    std::vector<int> marks;
    for (size_t t = 1; t <= last_needed + 1 && t < segs.size(); ++t)
      marks.push_back(program_.nodes[kids[segs[t].first]].entry);
    bit_matrix m;
    backward(current.lo, current.hi, current.exit, s, e, marks, m);
    std::vector<size_t> reach;
    size_t pos = s;
    for (size_t t = 0; t <= last_needed; ++t) {
      const node& a = program_.nodes[kids[segs[t].first]];
      const node& b = program_.nodes[kids[segs[t].second]];
      size_t end = e;
      if (t + 1 < segs.size()) {
        forward(a.lo, b.hi, a.entry, b.exit, pos, e, reach);
        end = no_position;
        for (size_t r = reach.size(); r-- > 0;)
          if (m.get(reach[r] - s, t)) {
            end = reach[r];
            break;
          }
        if (end == no_position) return;  // cannot happen for a real match
      }
      if (segs[t].first == segs[t].second) place(kids[segs[t].first], pos, end);
      pos = end;
    }
  }

  // Iterations are taken left to right, each as long as possible while the
  // rest of the repetition can still reach e; only the last one is placed.
  // Iterations beyond the minimum never match empty, except that a group
  // repeated zero or more times over an empty span matches it once.
  void place_repeat(const node& current, size_t s, size_t e) {
    const node& body = program_.nodes[current.kids[0]];
    int mn = current.min, mx = current.max;
    bool have_last = false;
    size_t ls = 0, le = 0;
    if (s == e) {
      if (mn > 0 || matches_exact(body, e, e)) {
        have_last = true;
        ls = le = e;
      }
    } else {
      bit_matrix m;
      backward(current.lo, current.hi, current.exit, s, e, current.bounds, m);
      std::vector<size_t> reach;
      size_t pos = s;
      int count = 0;
      while (pos < e && (mx < 0 || count < mx)) {
        size_t idx = mx < 0 ? static_cast<size_t>(count + 1 < mn ? count + 1 : mn)
                            : static_cast<size_t>(count) + 1;
        forward(body.lo, body.hi, body.entry, body.exit, pos, e, reach);
        size_t kmin = count < mn ? pos : pos + 1;
        size_t end = no_position;
        for (size_t r = reach.size(); r-- > 0 && reach[r] >= kmin;)
          if (m.get(reach[r] - s, idx)) {
            end = reach[r];
            break;
          }
        if (end == no_position) break;
        have_last = true;
        ls = pos;
        le = end;
        pos = end;
        ++count;
      }
      if (pos == e && count < mn) {
        have_last = true;
        ls = le = e;
      }
    }
    if (have_last) place(current.kids[0], ls, le);
  }
};

}  // namespace

int execute(const program& p, const char* str, size_t nmatch, vx_regmatch_t* pm, int eflags) {
  subject subj;
  subj.text = reinterpret_cast<const unsigned char*>(str);
  subj.length = std::strlen(str);
  subj.notbol = eflags & VX_REG_NOTBOL;
  subj.noteol = eflags & VX_REG_NOTEOL;
  subj.newline = p.cflags & VX_REG_NEWLINE;
  subj.utf8 = p.cflags & VX_REG_UTF8;
  if (p.cflags & VX_REG_NOSUB) nmatch = 0;
  if (!pm) nmatch = 0;
  matcher m(p, subj);
  size_t so = 0, eo = 0;
  if (!m.search(nmatch > 0, so, eo)) return VX_REG_NOMATCH;
  if (nmatch == 0) return 0;
  for (size_t k = 0; k < nmatch; ++k) pm[k].rm_so = pm[k].rm_eo = -1;
  pm[0].rm_so = static_cast<vx_regoff_t>(so);
  pm[0].rm_eo = static_cast<vx_regoff_t>(eo);
  if (nmatch > 1 && p.nsub > 0) m.submatches(so, eo, nmatch, pm);
  return 0;
}

}  // namespace vx
