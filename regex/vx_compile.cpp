// Pattern parser (ERE -> syntax tree) and Thompson NFA builder.
#include <algorithm>
#include <cstring>

#include "vx_internal.h"

namespace vx {

namespace {

enum Class {
  kAlpha,
  kDigit,
  kAlnum,
  kUpper,
  kLower,
  kSpace,
  kBlank,
  kPunct,
  kPrint,
  kGraph,
  kCntrl,
  kXdigit
};

struct ClassName {
  const char* name;
  Class cls;
};
const ClassName kClassNames[] = {
    {"alpha", kAlpha}, {"digit", kDigit}, {"alnum", kAlnum}, {"upper", kUpper},
    {"lower", kLower}, {"space", kSpace}, {"blank", kBlank}, {"punct", kPunct},
    {"print", kPrint}, {"graph", kGraph}, {"cntrl", kCntrl}, {"xdigit", kXdigit},
};

// Letters beyond ASCII are those the fold table gives another case.
bool is_upper(unsigned c) {
  return (c >= 'A' && c <= 'Z') || (c >= 128 && g_fold.lower[c] != c);
}
bool is_lower(unsigned c) {
  return (c >= 'a' && c <= 'z') || (c >= 128 && g_fold.upper[c] != c);
}

bool in_class(Class k, unsigned c) {
  switch (k) {
    case kAlpha:
      return is_upper(c) || is_lower(c);
    case kDigit:
      return c >= '0' && c <= '9';
    case kAlnum:
      return is_upper(c) || is_lower(c) || (c >= '0' && c <= '9');
    case kUpper:
      return is_upper(c);
    case kLower:
      return is_lower(c);
    case kSpace:
      return c == ' ' || (c >= '\t' && c <= '\r');
    case kBlank:
      return c == ' ' || c == '\t';
    case kPunct:
      return c >= 33 && c <= 126 &&
             !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    case kPrint:
      return c >= 32 && c <= 126;
    case kGraph:
      return c >= 33 && c <= 126;
    case kCntrl:
      return c < 32 || c == 127;
    case kXdigit:
      return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  }
  return false;
}

class Parser {
 public:
  Parser(Program& p)
      : P(p),
        pat(p.pattern),
        icase(p.cflags & VX_REG_ICASE),
        newline(p.cflags & VX_REG_NEWLINE),
        utf8(p.cflags & VX_REG_UTF8) {}

  int run() {
    int root = -1;
    int err = alt(0, root);
    if (err) return err;
    if (i < pat.size()) return VX_REG_EPAREN;  // stray ')'
    P.root = root;
    return 0;
  }

 private:
  Program& P;
  const std::string& pat;
  size_t i = 0;
  bool icase, newline, utf8;

  bool at_end() const { return i >= pat.size(); }
  unsigned char peek(size_t k = 0) const {
    return i + k < pat.size() ? (unsigned char)pat[i + k] : 0;
  }

  // Reads one unit of the pattern (not at its end): a byte, or a character.
  uint32_t next_unit() {
    if (!utf8) return (unsigned char)pat[i++];
    size_t len;
    uint32_t u = decode_utf8((const unsigned char*)pat.data(), pat.size(), i, len);
    i += len;
    return u;
  }

  // The unit a whole [.x.] or [=x=] name stands for, or false when the name
  // is not exactly one unit.
  bool single_unit(const std::string& name, uint32_t& u) const {
    if (name.empty()) return false;
    if (!utf8) {
      u = (unsigned char)name[0];
      return name.size() == 1;
    }
    size_t len;
    u = decode_utf8((const unsigned char*)name.data(), name.size(), 0, len);
    return len == name.size();
  }

  int add_node(NK k) {
    P.nodes.emplace_back();
    P.nodes.back().kind = k;
    return (int)P.nodes.size() - 1;
  }

  int add_set(const CharSet& s) {
    for (size_t k = 0; k < P.sets.size(); k++)
      if (P.sets[k] == s) return (int)k;
    P.sets.push_back(s);
    return (int)P.sets.size() - 1;
  }

  // Byte mode: the 256-entry fold table.
  ByteSet byte_set(const UnitSet& items, bool neg) {
    ByteSet s;
    for (const auto& range : items.r)
      for (uint32_t b = range.first; b <= range.second; b++) s.add(b);
    if (neg) {
      // Fold before negating so that [^a] rejects 'A' under REG_ICASE.
      ByteSet f = s;
      if (icase)
        for (unsigned c = 0; c < 256; c++)
          if (s.has(c) || s.has(g_fold.upper[c]) || s.has(g_fold.lower[c])) {
            f.add(c);
            f.add(g_fold.upper[c]);
            f.add(g_fold.lower[c]);
          }
      ByteSet r;
      for (unsigned b = 1; b < 256; b++)
        if (!f.has(b) && !(newline && b == '\n')) r.add(b);
      s = r;
    }
    if (icase) {
      ByteSet f = s;
      for (unsigned c = 0; c < 256; c++) {
        if (s.has(c)) {
          f.add(g_fold.upper[c]);
          f.add(g_fold.lower[c]);
        }
        if (s.has(g_fold.upper[c]) || s.has(g_fold.lower[c])) f.add(c);
      }
      s = f;
    }
    return s;
  }

  // UTF-8 mode: Unicode folding; a negated set takes every valid character
  // not listed, never a stray byte.
  UnitSet utf8_set(UnitSet s, bool neg) {
    s.normalize();
    if (icase) unicode_fold_closure(s);
    if (neg) {
      if (newline) {
        s.add('\n');
        s.normalize();
      }
      UnitSet r;
      uint32_t next = 1;
      for (const auto& range : s.r) {
        if (next < range.first) add_valid_range(r, next, range.first - 1);
        next = std::max(next, range.second + 1);
      }
      if (next <= kMaxCodePoint) add_valid_range(r, next, kMaxCodePoint);
      r.normalize();
      s = r;
    }
    return s;
  }

  // Adds the characters in [lo, hi], leaving out the surrogate block, where
  // the stray bytes live.
  static void add_valid_range(UnitSet& s, uint32_t lo, uint32_t hi) {
    if (hi < kSurrogateLo || lo > kSurrogateHi) {
      s.add(lo, hi);
      return;
    }
    if (lo < kSurrogateLo) s.add(lo, kSurrogateLo - 1);
    if (hi > kSurrogateHi) s.add(kSurrogateHi + 1, hi);
  }

  // '.': every unit but NUL (and '\n' under REG_NEWLINE); in UTF-8 mode
  // stray bytes too, so that a wildcard still matches a name that has one.
  UnitSet any_unit() const {
    UnitSet s;
    const uint32_t top = utf8 ? kMaxCodePoint : 255;
    if (newline) {
      add_valid_range(s, 1, '\n' - 1);
      add_valid_range(s, '\n' + 1, top);
    } else {
      add_valid_range(s, 1, top);
    }
    if (utf8) s.add(kStrayByte + 0x80, kStrayByte + 0xFF);
    s.normalize();
    return s;
  }

  // Turns the units a bracket, literal or '.' lists into a set node.
  int set_node(const UnitSet& items, bool neg = false) {
    if (!utf8) {
      CharSet cs;
      cs.low = byte_set(items, neg);
      return set_node(cs);
    }
    return set_node(char_set(utf8_set(items, neg)));
  }

  static CharSet char_set(const UnitSet& s) {
    CharSet cs;
    for (const auto& range : s.r) {
      for (uint32_t u = range.first; u <= range.second && u < 256; u++) cs.low.add(u);
      if (range.second >= 256)
        cs.high.push_back({std::max<uint32_t>(range.first, 256), range.second});
    }
    return cs;
  }

  int set_node(const CharSet& s) {
    int set = add_set(s);
    int n = add_node(NK::Set);
    P.nodes[n].set = set;
    P.nodes[n].fixed = true;
    return n;
  }

  // Ties children to a parent: depth, has_group.
  int finish(int n) {
    Node& N = P.nodes[n];
    int d = 0;
    bool g = N.kind == NK::Group;
    for (int k : N.kids) {
      if (P.nodes[k].depth > d) d = P.nodes[k].depth;
      g = g || P.nodes[k].has_group;
    }
    if (N.kind == NK::Repeat && N.max == 0) g = false;
    N.has_group = g;
    N.depth = d + 1;
    return N.depth > kMaxNesting * 2 ? VX_REG_ESPACE : 0;
  }

  int alt(int nest, int& out) {
    std::vector<int> branches;
    for (;;) {
      int b = -1;
      int err = concat(nest, b);
      if (err) return err;
      branches.push_back(b);
      if (!at_end() && peek() == '|') {
        i++;
        continue;
      }
      break;
    }
    if (branches.size() == 1) {
      out = branches[0];
      return 0;
    }
    int n = add_node(NK::Alt);
    P.nodes[n].kids = branches;
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
      int n = add_node(NK::Empty);
      P.nodes[n].fixed = true;
      out = n;
      return 0;
    }
    if (items.size() == 1) {
      out = items[0];
      return 0;
    }
    int n = add_node(NK::Concat);
    P.nodes[n].kids = items;
    out = n;
    return finish(n);
  }

  int atom(int nest, int& out) {
    unsigned char c = peek();
    int n = -1;
    bool anchor = false;
    switch (c) {
      case '(': {
        if (nest >= kMaxNesting) return VX_REG_ESPACE;
        i++;
        int g = (int)++P.nsub;
        int inner = -1;
        int err = alt(nest + 1, inner);
        if (err) return err;
        if (at_end() || peek() != ')') return VX_REG_EPAREN;
        i++;
        n = add_node(NK::Group);
        P.nodes[n].group = g;
        P.nodes[n].kids.push_back(inner);
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
        i++;
        n = add_node(NK::Bol);
        P.nodes[n].fixed = true;
        anchor = true;
        break;
      case '$':
        i++;
        n = add_node(NK::Eol);
        P.nodes[n].fixed = true;
        anchor = true;
        break;
      case '.':
        i++;
        // Unicode folding maps no character to NUL or '\n', so in UTF-8 mode
        // '.' is closed under it already: spare the compile the work.
        n = utf8 ? set_node(char_set(any_unit())) : set_node(any_unit());
        break;
      case '[': {
        i++;
        UnitSet s;
        bool neg = false;
        int err = bracket(s, neg);
        if (err) return err;
        n = set_node(s, neg);
        break;
      }
      case '\\': {
        i++;
        if (at_end()) return VX_REG_EESCAPE;
        unsigned char e = peek();
        if (e >= '1' && e <= '9') return VX_REG_ESUBREG;
        UnitSet s;
        s.add(next_unit());
        n = set_node(s);
        break;
      }
      default: {
        UnitSet s;
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
        i++;
      } else if (q == '+') {
        lo = 1;
        hi = -1;
        i++;
      } else if (q == '?') {
        lo = 0;
        hi = 1;
        i++;
      } else if (q == '{') {
        i++;
        int err = bounds(lo, hi);
        if (err) return err;
      } else
        break;
      if (anchor) return VX_REG_BADRPT;
      if (++stacked > kMaxNesting) return VX_REG_ESPACE;
      if (lo == 1 && hi == 1) continue;
      int r = add_node(NK::Repeat);
      P.nodes[r].min = lo;
      P.nodes[r].max = hi;
      P.nodes[r].kids.push_back(n);
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
      if (x > kMaxCount) x = kMaxCount + 1;  // keeps going, stays "too big"
      i++;
    }
    v = (int)x;
    return 0;
  }

  int bounds(int& lo, int& hi) {
    int err = number(lo);
    if (err) return err;
    hi = lo;
    if (at_end()) return VX_REG_EBRACE;
    if (peek() == ',') {
      i++;
      if (at_end()) return VX_REG_EBRACE;
      if (peek() == '}')
        hi = -1;
      else if ((err = number(hi)))
        return err;
    }
    if (at_end()) return VX_REG_EBRACE;
    if (peek() != '}') return VX_REG_BADBR;
    i++;
    if (lo > kMaxCount || hi > kMaxCount) return VX_REG_BADBR;
    if (hi >= 0 && hi < lo) return VX_REG_BADBR;
    return 0;
  }

  // Reads "[x" + terminator ":]", "=]" or ".]"; name is what lies between.
  int bracket_name(char term, std::string& name) {
    size_t start = i + 2;
    for (size_t k = start; k + 1 < pat.size(); k++) {
      if (pat[k] == term && pat[k + 1] == ']') {
        name.assign(pat, start, k - start);
        i = k + 2;
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
      int err = bracket_name((char)peek(1), name);
      return err ? err : VX_REG_ERANGE;
    }
    v = next_unit();
    return 0;
  }

  // Reads a bracket expression after its '['; `neg` tells whether it began
  // with '^', and `s` gets the units listed (before folding and negation).
  int bracket(UnitSet& s, bool& neg) {
    if (!at_end() && peek() == '^') {
      neg = true;
      i++;
    }
    bool first = true;
    for (;;) {
      if (at_end()) return VX_REG_EBRACK;
      unsigned char c = peek();
      if (c == ']' && !first) {
        i++;
        break;
      }
      if (c == '[' && peek(1) == ':') {
        std::string name;
        int err = bracket_name(':', name);
        if (err) return err;
        bool found = false;
        for (const ClassName& cn : kClassNames) {
          if (name == cn.name) {
            found = true;
            add_class(cn.cls, s);
          }
        }
        if (!found) return VX_REG_ECTYPE;
        if (peek() == '-' && peek(1) != ']' && i + 1 < pat.size()) return VX_REG_ERANGE;
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
        if (peek() == '-' && peek(1) != ']' && i + 1 < pat.size()) return VX_REG_ERANGE;
        first = false;
        continue;
      }
      bool literal_dash = (c == '-');
      uint32_t lo;
      int err = endpoint(lo);
      if (err) return err;
      if (!at_end() && peek() == '-' && peek(1) != ']' && i + 1 < pat.size()) {
        i++;
        uint32_t hi;
        if ((err = endpoint(hi))) return err;
        if (hi < lo) return VX_REG_ERANGE;
        // A range runs over characters or over stray bytes, not from one
        // kind to the other.
        if (utf8 && is_stray(lo) != is_stray(hi)) return VX_REG_ERANGE;
        if (utf8 && !is_stray(lo))
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

  void add_class(Class k, UnitSet& s) const {
    // In UTF-8 mode the fold table only speaks for ASCII.
    for (unsigned b = 0; b < (utf8 ? 128u : 256u); b++)
      if (in_class(k, b)) s.add(b);
    if (!utf8) return;
    if (k == kAlpha || k == kAlnum)
      unicode_cased(s, 0);
    else if (k == kUpper)
      unicode_cased(s, 1);
    else if (k == kLower)
      unicode_cased(s, 2);
  }
};

// ---- NFA builder ---------------------------------------------------------

class Builder {
 public:
  explicit Builder(Program& p) : P(p) {}

  // Upper bound on states for node n, saturating at the limit.
  long long size(int n) {
    const Node& N = P.nodes[n];
    long long s = 0;
    switch (N.kind) {
      case NK::Empty:
        return 1;
      case NK::Set:
      case NK::Bol:
      case NK::Eol:
        return 2;
      case NK::Group:
        return size(N.kids[0]);
      case NK::Concat:
        for (int k : N.kids) s += size(k);
        break;
      case NK::Alt:
        for (int k : N.kids) s += size(k) + 1;
        s += 1;
        break;
      case NK::Repeat: {
        if (N.max == 0) return 1;
        long long copies = N.max < 0 ? N.min + 1 : N.max;
        s = copies * (size(N.kids[0]) + 1) + 2;
        break;
      }
    }
    return s > kMaxStates ? kMaxStates + 1 : s;
  }

  int state(SK k, int set = -1) {
    State s;
    s.kind = k;
    s.set = set;
    P.states.push_back(s);
    return (int)P.states.size() - 1;
  }

  // Emits node n; returns its entry state; its exit is P.states.size()-1.
  void emit(int n, bool record, int& entry, int& exit) {
    Node& N0 = P.nodes[n];
    int lo = (int)P.states.size();
    switch (N0.kind) {
      case NK::Empty:
        entry = exit = state(SK::Eps);
        break;
      case NK::Set:
        entry = state(SK::Set, N0.set);
        exit = state(SK::Eps);
        P.states[entry].out1 = exit;
        break;
      case NK::Bol:
      case NK::Eol:
        entry = state(N0.kind == NK::Bol ? SK::Bol : SK::Eol);
        exit = state(SK::Eps);
        P.states[entry].out1 = exit;
        break;
      case NK::Group:
        emit(N0.kids[0], record, entry, exit);
        break;
      case NK::Concat: {
        int prev_exit = -1;
        std::vector<int> kids = N0.kids;
        for (size_t k = 0; k < kids.size(); k++) {
          int e, x;
          emit(kids[k], record, e, x);
          if (k == 0)
            entry = e;
          else
            P.states[prev_exit].out1 = e;
          prev_exit = x;
        }
        exit = prev_exit;
        break;
      }
      case NK::Alt: {
        std::vector<int> kids = N0.kids;
        size_t k_n = kids.size();
        int first_split = (int)P.states.size();
        for (size_t k = 0; k + 1 < k_n; k++) state(SK::Eps);
        std::vector<int> exits;
        for (size_t k = 0; k < k_n; k++) {
          int e, x;
          emit(kids[k], record, e, x);
          exits.push_back(x);
          if (k + 1 < k_n) {
            P.states[first_split + k].out1 = e;
            if (k + 2 < k_n) P.states[first_split + k].out2 = first_split + (int)k + 1;
          } else {
            P.states[first_split + k - 1].out2 = e;
          }
        }
        exit = state(SK::Eps);
        for (int x : exits) P.states[x].out1 = exit;
        entry = first_split;
        break;
      }
      case NK::Repeat: {
        int child = N0.kids[0];
        int mn = N0.min, mx = N0.max;
        if (mx == 0) {
          entry = exit = state(SK::Eps);
          break;
        }
        std::vector<int> bounds;
        std::vector<int> pending;  // states whose out1 must go to the next step
        std::vector<int> to_exit;  // optional-skip states
        int copies = mx < 0 ? mn : mx;
        for (int c = 0; c < copies; c++) {
          int head;
          int e, x;
          if (c >= mn) {
            head = state(SK::Eps);
            to_exit.push_back(head);
            emit(child, record && c == 0, e, x);
            P.states[head].out1 = e;
          } else {
            emit(child, record && c == 0, e, x);
            head = e;
          }
          for (int p : pending) P.states[p].out1 = head;
          pending.assign(1, x);
          bounds.push_back(head);
        }
        if (mx < 0) {
          int loop = state(SK::Eps);
          int e, x;
          emit(child, record && copies == 0, e, x);
          P.states[loop].out1 = e;
          P.states[x].out1 = loop;
          for (int p : pending) P.states[p].out1 = loop;
          pending.clear();
          to_exit.push_back(loop);
          bounds.push_back(loop);
        }
        exit = state(SK::Eps);
        for (int p : pending) P.states[p].out1 = exit;
        for (int t : to_exit) P.states[t].out2 = exit;
        if (mx >= 0) bounds.push_back(exit);
        entry = bounds[0];
        if (record) P.nodes[n].bounds = bounds;
        break;
      }
    }
    if (record) {
      Node& N = P.nodes[n];
      N.lo = lo;
      N.hi = (int)P.states.size() - 1;
      N.entry = entry;
      N.exit = exit;
    }
  }

 private:
  Program& P;
};

// True when every match must begin at a ^ (lets the search stop early).
bool starts_with_bol(const Program& p, int n) {
  const Node& N = p.nodes[n];
  switch (N.kind) {
    case NK::Bol:
      return true;
    case NK::Group:
      return starts_with_bol(p, N.kids[0]);
    case NK::Concat:
      return starts_with_bol(p, N.kids[0]);
    case NK::Alt:
      for (int k : N.kids)
        if (!starts_with_bol(p, k)) return false;
      return true;
    case NK::Repeat:
      return N.min > 0 && starts_with_bol(p, N.kids[0]);
    default:
      return false;
  }
}

}  // namespace

int compile(Program& p) {
  if (!(p.cflags & VX_REG_EXTENDED)) return VX_REG_BADPAT;
  Parser parser(p);
  int err = parser.run();
  if (err) return err;
  Builder b(p);
  if (b.size(p.root) > kMaxStates) return VX_REG_ESPACE;
  p.states.reserve((size_t)b.size(p.root) + 1);
  int entry, exit;
  b.emit(p.root, true, entry, exit);
  p.match = b.state(SK::Match);
  p.states[exit].out1 = p.match;
  p.start = entry;
  p.anchored = starts_with_bol(p, p.root);

  // Reverse edges for the backward passes.
  size_t ns = p.states.size();
  p.pred_off.assign(ns + 1, 0);
  for (const State& s : p.states) {
    if (s.out1 >= 0) p.pred_off[s.out1 + 1]++;
    if (s.out2 >= 0) p.pred_off[s.out2 + 1]++;
  }
  for (size_t k = 0; k < ns; k++) p.pred_off[k + 1] += p.pred_off[k];
  p.preds.assign(p.pred_off[ns], 0);
  std::vector<int> fill(p.pred_off.begin(), p.pred_off.end() - 1);
  for (size_t k = 0; k < ns; k++) {
    const State& s = p.states[k];
    if (s.out1 >= 0) p.preds[fill[s.out1]++] = (int)k;
    if (s.out2 >= 0) p.preds[fill[s.out2]++] = (int)k;
  }
  return 0;
}

}  // namespace vx
