// Pattern parser (ERE -> syntax tree) and Thompson NFA builder.
#include <algorithm>
#include <cstring>

#include "vx_internal.h"

namespace vx {

namespace {

enum class char_class {
  alpha,
  digit,
  alnum,
  upper,
  lower,
  space,
  blank,
  punct,
  print,
  graph,
  cntrl,
  xdigit
};

struct class_name {
  const char* name;
  char_class cls;
};
const class_name class_names[] = {
    {"alpha", char_class::alpha}, {"digit", char_class::digit}, {"alnum", char_class::alnum},
    {"upper", char_class::upper}, {"lower", char_class::lower}, {"space", char_class::space},
    {"blank", char_class::blank}, {"punct", char_class::punct}, {"print", char_class::print},
    {"graph", char_class::graph}, {"cntrl", char_class::cntrl}, {"xdigit", char_class::xdigit},
};

// Letters beyond ASCII are those the fold table gives another case.
bool is_upper(unsigned c) {
  return (c >= 'A' && c <= 'Z') || (c >= 128 && case_table.lower[c] != c);
}
bool is_lower(unsigned c) {
  return (c >= 'a' && c <= 'z') || (c >= 128 && case_table.upper[c] != c);
}

bool in_class(char_class k, unsigned c) {
  switch (k) {
    case char_class::alpha:
      return is_upper(c) || is_lower(c);
    case char_class::digit:
      return c >= '0' && c <= '9';
    case char_class::alnum:
      return is_upper(c) || is_lower(c) || (c >= '0' && c <= '9');
    case char_class::upper:
      return is_upper(c);
    case char_class::lower:
      return is_lower(c);
    case char_class::space:
      return c == ' ' || (c >= '\t' && c <= '\r');
    case char_class::blank:
      return c == ' ' || c == '\t';
    case char_class::punct:
      return c >= 33 && c <= 126 &&
             !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    case char_class::print:
      return c >= 32 && c <= 126;
    case char_class::graph:
      return c >= 33 && c <= 126;
    case char_class::cntrl:
      return c < 32 || c == 127;
    case char_class::xdigit:
      return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  }
  return false;
}

class parser {
 public:
  explicit parser(program& p)
      : program_(p),
        pattern_(p.pattern),
        icase_(p.cflags & VX_REG_ICASE),
        newline_(p.cflags & VX_REG_NEWLINE),
        utf8_(p.cflags & VX_REG_UTF8) {}

  int run() {
    int root = -1;
    int err = alt(0, root);
    if (err) return err;
    if (at_ < pattern_.size()) return VX_REG_EPAREN;  // stray ')'
    program_.root = root;
    return 0;
  }

 private:
  program& program_;
  const std::string& pattern_;
  size_t at_ = 0;
  bool icase_, newline_, utf8_;

  bool at_end() const { return at_ >= pattern_.size(); }
  unsigned char peek(size_t k = 0) const {
    return at_ + k < pattern_.size() ? static_cast<unsigned char>(pattern_[at_ + k]) : 0;
  }

  // Reads one unit of the pattern (not at its end): a byte, or a character.
  uint32_t next_unit() {
    if (!utf8_) return static_cast<unsigned char>(pattern_[at_++]);
    size_t len;
    uint32_t u = decode_utf8(reinterpret_cast<const unsigned char*>(pattern_.data()),
                             pattern_.size(), at_, len);
    at_ += len;
    return u;
  }

  // The unit a whole [.x.] or [=x=] name stands for, or false when the name
  // is not exactly one unit.
  bool single_unit(const std::string& name, uint32_t& u) const {
    if (name.empty()) return false;
    if (!utf8_) {
      u = static_cast<unsigned char>(name[0]);
      return name.size() == 1;
    }
    size_t len;
    u = decode_utf8(reinterpret_cast<const unsigned char*>(name.data()), name.size(), 0, len);
    return len == name.size();
  }

  int add_node(node_kind k) {
    program_.nodes.emplace_back();
    program_.nodes.back().kind = k;
    return static_cast<int>(program_.nodes.size()) - 1;
  }

  int add_set(const char_set& s) {
    for (size_t k = 0; k < program_.sets.size(); ++k)
      if (program_.sets[k] == s) return static_cast<int>(k);
    program_.sets.push_back(s);
    return static_cast<int>(program_.sets.size()) - 1;
  }

  // Byte mode: the 256-entry fold table.
  byte_set bytes_of(const unit_set& items, bool neg) {
    byte_set s;
    for (const auto& range : items.ranges)
      for (uint32_t b = range.first; b <= range.second; ++b) s.add(b);
    if (neg) {
      // Fold before negating so that [^a] rejects 'A' under REG_ICASE.
      byte_set f = s;
      if (icase_)
        for (unsigned c = 0; c < 256; ++c)
          if (s.has(c) || s.has(case_table.upper[c]) || s.has(case_table.lower[c])) {
            f.add(c);
            f.add(case_table.upper[c]);
            f.add(case_table.lower[c]);
          }
      byte_set r;
      for (unsigned b = 1; b < 256; ++b)
        if (!f.has(b) && !(newline_ && b == '\n')) r.add(b);
      s = r;
    }
    if (icase_) {
      byte_set f = s;
      for (unsigned c = 0; c < 256; ++c) {
        if (s.has(c)) {
          f.add(case_table.upper[c]);
          f.add(case_table.lower[c]);
        }
        if (s.has(case_table.upper[c]) || s.has(case_table.lower[c])) f.add(c);
      }
      s = f;
    }
    return s;
  }

  // UTF-8 mode: Unicode folding; a negated set takes every valid character
  // not listed, never a stray byte.
  unit_set utf8_set(unit_set s, bool neg) {
    s.normalize();
    if (icase_) unicode_fold_closure(s);
    if (neg) {
      if (newline_) {
        s.add('\n');
        s.normalize();
      }
      unit_set r;
      uint32_t next = 1;
      for (const auto& range : s.ranges) {
        if (next < range.first) add_valid_range(r, next, range.first - 1);
        next = std::max(next, range.second + 1);
      }
      if (next <= max_code_point) add_valid_range(r, next, max_code_point);
      r.normalize();
      s = r;
    }
    return s;
  }

  // Adds the characters in [lo, hi], leaving out the surrogate block, where
  // the stray bytes live.
  static void add_valid_range(unit_set& s, uint32_t lo, uint32_t hi) {
    if (hi < surrogate_first || lo > surrogate_last) {
      s.add(lo, hi);
      return;
    }
    if (lo < surrogate_first) s.add(lo, surrogate_first - 1);
    if (hi > surrogate_last) s.add(surrogate_last + 1, hi);
  }

  // '.': every unit but NUL (and '\n' under REG_NEWLINE); in UTF-8 mode
  // stray bytes too, so that a wildcard still matches a name that has one.
  unit_set any_unit() const {
    unit_set s;
    const uint32_t top = utf8_ ? max_code_point : 255;
    if (newline_) {
      add_valid_range(s, 1, '\n' - 1);
      add_valid_range(s, '\n' + 1, top);
    } else {
      add_valid_range(s, 1, top);
    }
    if (utf8_) s.add(stray_base + 0x80, stray_base + 0xFF);
    s.normalize();
    return s;
  }

  // Turns the units a bracket, literal or '.' lists into a set node.
  int set_node(const unit_set& items, bool neg = false) {
    if (!utf8_) {
      char_set cs;
      cs.low = bytes_of(items, neg);
      return set_node(cs);
    }
    return set_node(char_set_of(utf8_set(items, neg)));
  }

  static char_set char_set_of(const unit_set& s) {
    char_set cs;
    for (const auto& range : s.ranges) {
      for (uint32_t u = range.first; u <= range.second && u < 256; ++u) cs.low.add(u);
      if (range.second >= 256)
        cs.high.push_back({std::max<uint32_t>(range.first, 256), range.second});
    }
    return cs;
  }

  int set_node(const char_set& s) {
    int set = add_set(s);
    int n = add_node(node_kind::set);
    program_.nodes[n].set = set;
    program_.nodes[n].fixed = true;
    return n;
  }

  // Ties children to a parent: depth, has_group.
  int finish(int n) {
    node& current = program_.nodes[n];
    int d = 0;
    bool g = current.kind == node_kind::group;
    for (int k : current.kids) {
      if (program_.nodes[k].depth > d) d = program_.nodes[k].depth;
      g = g || program_.nodes[k].has_group;
    }
    if (current.kind == node_kind::repeat && current.max == 0) g = false;
    current.has_group = g;
    current.depth = d + 1;
    return current.depth > max_nesting * 2 ? VX_REG_ESPACE : 0;
  }

  int alt(int nest, int& out) {
    std::vector<int> branches;
    for (;;) {
      int b = -1;
      int err = concat(nest, b);
      if (err) return err;
      branches.push_back(b);
      if (!at_end() && peek() == '|') {
        ++at_;
        continue;
      }
      break;
    }
    if (branches.size() == 1) {
      out = branches[0];
      return 0;
    }
    int n = add_node(node_kind::alt);
    program_.nodes[n].kids = branches;
    out = n;
    return finish(n);
  }

  int concat(int nest, int& out) {
    std::vector<int> items;
    while (!at_end() && peek() != '|' && !(peek() == ')' && nest > 0)) {
      int a = -1;
      int err = atom(nest, a);
      if (err) return err;
      items.push_back(a);
    }
    if (items.empty()) {
      int n = add_node(node_kind::empty);
      program_.nodes[n].fixed = true;
      out = n;
      return 0;
    }
    if (items.size() == 1) {
      out = items[0];
      return 0;
    }
    int n = add_node(node_kind::concat);
    program_.nodes[n].kids = items;
    out = n;
    return finish(n);
  }

  int atom(int nest, int& out) {
    unsigned char c = peek();
    int n = -1;
    bool anchor = false;
    switch (c) {
      case '(': {
        if (nest >= max_nesting) return VX_REG_ESPACE;
        ++at_;
        int g = static_cast<int>(++program_.nsub);
        int inner = -1;
        int err = alt(nest + 1, inner);
        if (err) return err;
        if (at_end() || peek() != ')') return VX_REG_EPAREN;
        ++at_;
        n = add_node(node_kind::group);
        program_.nodes[n].group = g;
        program_.nodes[n].kids.push_back(inner);
        if ((err = finish(n))) return err;
        break;
      }
      case ')':
        return VX_REG_EPAREN;
      case '*':
      case '+':
      case '?':
      case '{':
        return VX_REG_BADRPT;
      case '^':
        ++at_;
        n = add_node(node_kind::bol);
        program_.nodes[n].fixed = true;
        anchor = true;
        break;
      case '$':
        ++at_;
        n = add_node(node_kind::eol);
        program_.nodes[n].fixed = true;
        anchor = true;
        break;
      case '.':
        ++at_;
        // Unicode folding maps no character to NUL or '\n', so in UTF-8 mode
        // '.' is closed under it already: spare the compile the work.
        n = utf8_ ? set_node(char_set_of(any_unit())) : set_node(any_unit());
        break;
      case '[': {
        ++at_;
        unit_set s;
        bool neg = false;
        int err = bracket(s, neg);
        if (err) return err;
        n = set_node(s, neg);
        break;
      }
      case '\\': {
        ++at_;
        if (at_end()) return VX_REG_EESCAPE;
        unsigned char e = peek();
        if (e >= '1' && e <= '9') return VX_REG_ESUBREG;
        unit_set s;
        s.add(next_unit());
        n = set_node(s);
        break;
      }
      default: {
        unit_set s;
        s.add(next_unit());
        n = set_node(s);
        break;
      }
    }
    // Repetition operators, applied in turn.
    int stacked = 0;
    while (!at_end()) {
      unsigned char q = peek();
      int lo, hi;
      if (q == '*') {
        lo = 0;
        hi = -1;
        ++at_;
      } else if (q == '+') {
        lo = 1;
        hi = -1;
        ++at_;
      } else if (q == '?') {
        lo = 0;
        hi = 1;
        ++at_;
      } else if (q == '{') {
        ++at_;
        int err = bounds(lo, hi);
        if (err) return err;
      } else
        break;
      if (anchor) return VX_REG_BADRPT;
      if (++stacked > max_nesting) return VX_REG_ESPACE;
      if (lo == 1 && hi == 1) continue;
      int r = add_node(node_kind::repeat);
      program_.nodes[r].min = lo;
      program_.nodes[r].max = hi;
      program_.nodes[r].kids.push_back(n);
      int err = finish(r);
      if (err) return err;
      n = r;
    }
    out = n;
    return 0;
  }

  int number(int& v) {
    if (at_end()) return VX_REG_EBRACE;
    if (!(peek() >= '0' && peek() <= '9')) return VX_REG_BADBR;
    long long x = 0;
    while (!at_end() && peek() >= '0' && peek() <= '9') {
      x = x * 10 + (peek() - '0');
      if (x > max_repeat_count) x = max_repeat_count + 1;  // keeps going, stays "too big"
      ++at_;
    }
    v = static_cast<int>(x);
    return 0;
  }

  int bounds(int& lo, int& hi) {
    int err = number(lo);
    if (err) return err;
    hi = lo;
    if (at_end()) return VX_REG_EBRACE;
    if (peek() == ',') {
      ++at_;
      if (at_end()) return VX_REG_EBRACE;
      if (peek() == '}')
        hi = -1;
      else if ((err = number(hi)))
        return err;
    }
    if (at_end()) return VX_REG_EBRACE;
    if (peek() != '}') return VX_REG_BADBR;
    ++at_;
    if (lo > max_repeat_count || hi > max_repeat_count) return VX_REG_BADBR;
    if (hi >= 0 && hi < lo) return VX_REG_BADBR;
    return 0;
  }

  // Reads "[x" + terminator ":]", "=]" or ".]"; name is what lies between.
  int bracket_name(char term, std::string& name) {
    size_t start = at_ + 2;
    for (size_t k = start; k + 1 < pattern_.size(); ++k) {
      if (pattern_[k] == term && pattern_[k + 1] == ']') {
        name.assign(pattern_, start, k - start);
        at_ = k + 2;
        return 0;
      }
    }
    return VX_REG_EBRACK;
  }

  // One collating element for a range endpoint: a plain unit or [.x.].
  int endpoint(uint32_t& v) {
    if (at_end()) return VX_REG_EBRACK;
    if (peek() == '[' && peek(1) == '.') {
      std::string name;
      int err = bracket_name('.', name);
      if (err) return err;
      if (!single_unit(name, v)) return VX_REG_ECOLLATE;
      return 0;
    }
    if (peek() == '[' && (peek(1) == '=' || peek(1) == ':')) {
      // Classes cannot bound a range; make sure the bracket is closed first.
      std::string name;
      int err = bracket_name(static_cast<char>(peek(1)), name);
      return err ? err : VX_REG_ERANGE;
    }
    v = next_unit();
    return 0;
  }

  // Reads a bracket expression after its '['; `neg` tells whether it began
  // with '^', and `s` gets the units listed (before folding and negation).
  int bracket(unit_set& s, bool& neg) {
    if (!at_end() && peek() == '^') {
      neg = true;
      ++at_;
    }
    bool first = true;
    for (;;) {
      if (at_end()) return VX_REG_EBRACK;
      unsigned char c = peek();
      if (c == ']' && !first) {
        ++at_;
        break;
      }
      if (c == '[' && peek(1) == ':') {
        std::string name;
        int err = bracket_name(':', name);
        if (err) return err;
        bool found = false;
        for (const class_name& cn : class_names) {
          if (name == cn.name) {
            found = true;
            add_class(cn.cls, s);
          }
        }
        if (!found) return VX_REG_ECTYPE;
        if (peek() == '-' && peek(1) != ']' && at_ + 1 < pattern_.size()) return VX_REG_ERANGE;
        first = false;
        continue;
      }
      if (c == '[' && peek(1) == '=') {
        std::string name;
        int err = bracket_name('=', name);
        if (err) return err;
        uint32_t u;
        if (!single_unit(name, u)) return VX_REG_ECOLLATE;
        s.add(u);
        if (peek() == '-' && peek(1) != ']' && at_ + 1 < pattern_.size()) return VX_REG_ERANGE;
        first = false;
        continue;
      }
      bool literal_dash = (c == '-');
      uint32_t lo;
      int err = endpoint(lo);
      if (err) return err;
      if (!at_end() && peek() == '-' && peek(1) != ']' && at_ + 1 < pattern_.size()) {
        ++at_;
        uint32_t hi;
        if ((err = endpoint(hi))) return err;
        if (hi < lo) return VX_REG_ERANGE;
        // A range runs over characters or over stray bytes, not from one
        // kind to the other.
        if (utf8_ && is_stray(lo) != is_stray(hi)) return VX_REG_ERANGE;
        if (utf8_ && !is_stray(lo))
          add_valid_range(s, lo, hi);
        else
          s.add(lo, hi);
      } else {
        // A '-' that is neither first, last nor a range bound.
        if (literal_dash && !first && !at_end() && peek() != ']') return VX_REG_ERANGE;
        s.add(lo);
      }
      first = false;
    }
    return 0;
  }

  void add_class(char_class k, unit_set& s) const {
    // In UTF-8 mode the fold table only speaks for ASCII.
    for (unsigned b = 0; b < (utf8_ ? 128u : 256u); ++b)
      if (in_class(k, b)) s.add(b);
    if (!utf8_) return;
    if (k == char_class::alpha || k == char_class::alnum)
      unicode_cased(s, 0);
    else if (k == char_class::upper)
      unicode_cased(s, 1);
    else if (k == char_class::lower)
      unicode_cased(s, 2);
  }
};

// ---- NFA builder ---------------------------------------------------------

class nfa_builder {
 public:
  explicit nfa_builder(program& p) : program_(p) {}

  // Upper bound on states for node n, saturating at the limit.
  long long size(int n) {
    const node& current = program_.nodes[n];
    long long s = 0;
    switch (current.kind) {
      case node_kind::empty:
        return 1;
      case node_kind::set:
      case node_kind::bol:
      case node_kind::eol:
        return 2;
      case node_kind::group:
        return size(current.kids[0]);
      case node_kind::concat:
        for (int k : current.kids) s += size(k);
        break;
      case node_kind::alt:
        for (int k : current.kids) s += size(k) + 1;
        s += 1;
        break;
      case node_kind::repeat: {
        if (current.max == 0) return 1;
        long long copies = current.max < 0 ? current.min + 1 : current.max;
        s = copies * (size(current.kids[0]) + 1) + 2;
        break;
      }
    }
    return s > max_states ? max_states + 1 : s;
  }

  int add_state(state_kind k, int set = -1) {
    nfa_state added;
    added.kind = k;
    added.set = set;
    program_.states.push_back(added);
    return static_cast<int>(program_.states.size()) - 1;
  }

  // Emits node n; returns its entry state; its exit is program_.states.size()-1.
  void emit(int n, bool record, int& entry, int& exit) {
    node& current = program_.nodes[n];
    int lo = static_cast<int>(program_.states.size());
    switch (current.kind) {
      case node_kind::empty:
        entry = exit = add_state(state_kind::epsilon);
        break;
      case node_kind::set:
        entry = add_state(state_kind::set, current.set);
        exit = add_state(state_kind::epsilon);
        program_.states[entry].out1 = exit;
        break;
      case node_kind::bol:
      case node_kind::eol:
        entry = add_state(current.kind == node_kind::bol ? state_kind::bol : state_kind::eol);
        exit = add_state(state_kind::epsilon);
        program_.states[entry].out1 = exit;
        break;
      case node_kind::group:
        emit(current.kids[0], record, entry, exit);
        break;
      case node_kind::concat: {
        int prev_exit = -1;
        std::vector<int> kids = current.kids;
        for (size_t k = 0; k < kids.size(); ++k) {
          int e, x;
          emit(kids[k], record, e, x);
          if (k == 0)
            entry = e;
          else
            program_.states[prev_exit].out1 = e;
          prev_exit = x;
        }
        exit = prev_exit;
        break;
      }
      case node_kind::alt: {
        std::vector<int> kids = current.kids;
        size_t k_n = kids.size();
        int first_split = static_cast<int>(program_.states.size());
        for (size_t k = 0; k + 1 < k_n; ++k) add_state(state_kind::epsilon);
        std::vector<int> exits;
        for (size_t k = 0; k < k_n; ++k) {
          int e, x;
          emit(kids[k], record, e, x);
          exits.push_back(x);
          if (k + 1 < k_n) {
            program_.states[first_split + k].out1 = e;
            if (k + 2 < k_n)
              program_.states[first_split + k].out2 = first_split + static_cast<int>(k) + 1;
          } else {
            program_.states[first_split + k - 1].out2 = e;
          }
        }
        exit = add_state(state_kind::epsilon);
        for (int x : exits) program_.states[x].out1 = exit;
        entry = first_split;
        break;
      }
      case node_kind::repeat: {
        int child = current.kids[0];
        int mn = current.min, mx = current.max;
        if (mx == 0) {
          entry = exit = add_state(state_kind::epsilon);
          break;
        }
        std::vector<int> bounds;
        std::vector<int> pending;  // states whose out1 must go to the next step
        std::vector<int> to_exit;  // optional-skip states
        int copies = mx < 0 ? mn : mx;
        for (int c = 0; c < copies; ++c) {
          int head;
          int e, x;
          if (c >= mn) {
            head = add_state(state_kind::epsilon);
            to_exit.push_back(head);
            emit(child, record && c == 0, e, x);
            program_.states[head].out1 = e;
          } else {
            emit(child, record && c == 0, e, x);
            head = e;
          }
          for (int p : pending) program_.states[p].out1 = head;
          pending.assign(1, x);
          bounds.push_back(head);
        }
        if (mx < 0) {
          int loop = add_state(state_kind::epsilon);
          int e, x;
          emit(child, record && copies == 0, e, x);
          program_.states[loop].out1 = e;
          program_.states[x].out1 = loop;
          for (int p : pending) program_.states[p].out1 = loop;
          pending.clear();
          to_exit.push_back(loop);
          bounds.push_back(loop);
        }
        exit = add_state(state_kind::epsilon);
        for (int p : pending) program_.states[p].out1 = exit;
        for (int t : to_exit) program_.states[t].out2 = exit;
        if (mx >= 0) bounds.push_back(exit);
        entry = bounds[0];
        if (record) program_.nodes[n].bounds = bounds;
        break;
      }
    }
    if (record) {
      current.lo = lo;
      current.hi = static_cast<int>(program_.states.size()) - 1;
      current.entry = entry;
      current.exit = exit;
    }
  }

 private:
  program& program_;
};

// True when every match must begin at a ^ (lets the search stop early).
bool starts_with_bol(const program& p, int n) {
  const node& current = p.nodes[n];
  switch (current.kind) {
    case node_kind::bol:
      return true;
    case node_kind::group:
      return starts_with_bol(p, current.kids[0]);
    case node_kind::concat:
      return starts_with_bol(p, current.kids[0]);
    case node_kind::alt:
      for (int k : current.kids)
        if (!starts_with_bol(p, k)) return false;
      return true;
    case node_kind::repeat:
      return current.min > 0 && starts_with_bol(p, current.kids[0]);
    default:
      return false;
  }
}

}  // namespace

int compile(program& p) {
  if (!(p.cflags & VX_REG_EXTENDED)) return VX_REG_BADPAT;
  parser parse(p);
  int err = parse.run();
  if (err) return err;
  nfa_builder b(p);
  if (b.size(p.root) > max_states) return VX_REG_ESPACE;
  p.states.reserve(static_cast<size_t>(b.size(p.root)) + 1);
  int entry, exit;
  b.emit(p.root, true, entry, exit);
  p.match = b.add_state(state_kind::match);
  p.states[exit].out1 = p.match;
  p.start = entry;
  p.anchored = starts_with_bol(p, p.root);

  // Reverse edges for the backward passes.
  size_t ns = p.states.size();
  p.predecessor_offsets.assign(ns + 1, 0);
  for (const nfa_state& s : p.states) {
    if (s.out1 >= 0) p.predecessor_offsets[s.out1 + 1]++;
    if (s.out2 >= 0) p.predecessor_offsets[s.out2 + 1]++;
  }
  for (size_t k = 0; k < ns; ++k) p.predecessor_offsets[k + 1] += p.predecessor_offsets[k];
  p.predecessors.assign(p.predecessor_offsets[ns], 0);
  std::vector<int> fill(p.predecessor_offsets.begin(), p.predecessor_offsets.end() - 1);
  for (size_t k = 0; k < ns; ++k) {
    const nfa_state& s = p.states[k];
    if (s.out1 >= 0) p.predecessors[fill[s.out1]++] = static_cast<int>(k);
    if (s.out2 >= 0) p.predecessors[fill[s.out2]++] = static_cast<int>(k);
  }
  return 0;
}

}  // namespace vx
