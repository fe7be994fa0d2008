// Runs the AT&T testregex data (basic.dat, nullsubexpr.dat, repetition.dat)
// against vx_regex.  Usage: regex_conformance <data folder> [--utf8]
//
// Only ERE ('E') cases run; every passing case runs again with REG_NOSUB.
// With --utf8 every pattern is compiled with REG_UTF8: the data is ASCII
// (but for one stray byte, which '.' takes either way), so every answer
// must stay the same.
// repetition.dat is read with the AT&T answers restored: a commented-out
// line directly followed by a line marked "RE2/Go" replaces that line.
// Cases listed in kExpectedFailures must fail, all others must pass.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "vx_regex.h"

namespace {

int g_extra_cflags = 0;  // REG_UTF8 with --utf8

struct ExpectedFailure {
  const char* file;
  int line;
  const char* reason;
};

// Cases this library answers differently from the data, with the reason.
const ExpectedFailure kExpectedFailures[] = {
    {nullptr, 0, nullptr},
};

struct Counts {
  int passed = 0, failed = 0, xfail = 0, xpass = 0, skipped = 0;
  int nosub_passed = 0, nosub_failed = 0;
};

std::string to_native_path(std::string p) {
#ifdef _WIN32
  if (!p.empty() && p[0] == '/') {
    for (char& c : p)
      if (c == '/') c = '\\';
    p = "Z:" + p;
  }
#endif
  return p;
}

bool read_file(const std::string& path, std::string& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

struct Line {
  int number;  // first physical line
  std::string text;
};

std::vector<Line> logical_lines(const std::string& data) {
  std::vector<Line> lines;
  std::string cur;
  int num = 1, start = 1;
  bool joining = false;
  size_t i = 0;
  while (i <= data.size()) {
    size_t nl = data.find('\n', i);
    if (nl == std::string::npos) nl = data.size();
    std::string phys = data.substr(i, nl - i);
    if (!phys.empty() && phys.back() == '\r') phys.pop_back();
    if (!joining) start = num;
    if (!phys.empty() && phys.back() == '\\') {
      phys.pop_back();
      cur += phys;
      joining = true;
    } else {
      cur += phys;
      lines.push_back({start, cur});
      cur.clear();
      joining = false;
    }
    num++;
    if (nl == data.size()) break;
    i = nl + 1;
  }
  return lines;
}

std::vector<std::string> split_tabs(const std::string& s) {
  std::vector<std::string> f;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == '\t') i++;
    if (i >= s.size()) break;
    size_t j = s.find('\t', i);
    if (j == std::string::npos) j = s.size();
    f.push_back(s.substr(i, j - i));
    i = j;
  }
  return f;
}

// Strips a ":LABEL:" prefix; returns false for a line that is only a comment.
bool strip_label(std::string& s) {
  if (s.size() > 1 && s[0] == ':' && s[1] != ' ' && s[1] != '\t') {
    size_t k = s.find(':', 1);
    if (k == std::string::npos) return false;
    s = s.substr(k + 1);
  }
  return true;
}

int hexval(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string expand(const std::string& s) {
  std::string o;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      o += s[i];
      continue;
    }
    char c = s[++i];
    switch (c) {
      case '\\':
        o += '\\';
        break;
      case 'a':
        o += '\a';
        break;
      case 'b':
        o += '\b';
        break;
      case 'e':
      case 'E':
        o += '\033';
        break;
      case 'f':
        o += '\f';
        break;
      case 'n':
        o += '\n';
        break;
      case 'r':
        o += '\r';
        break;
      case 's':
        o += ' ';
        break;
      case 't':
        o += '\t';
        break;
      case 'v':
        o += '\v';
        break;
      case 'c':
        if (i + 1 < s.size()) o += (char)(s[++i] & 037);
        break;
      case 'x': {
        int v = 0;
        if (i + 1 < s.size() && s[i + 1] == '{') {
          i += 2;
          while (i < s.size() && s[i] != '}') v = v * 16 + hexval(s[i++]);
        } else {
          while (i + 1 < s.size() && hexval(s[i + 1]) >= 0) v = v * 16 + hexval(s[++i]);
        }
        o += (char)v;
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          int v = c - '0';
          for (int k = 0; k < 2 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; k++)
            v = v * 8 + (s[++i] - '0');
          o += (char)v;
        } else {
          o += '\\';
          o += c;
        }
    }
  }
  return o;
}

int error_code(const std::string& name) {
  static const struct {
    const char* n;
    int c;
  } k[] = {{"BADPAT", REG_BADPAT},   {"ECOLLATE", REG_ECOLLATE}, {"ECTYPE", REG_ECTYPE},
           {"EESCAPE", REG_EESCAPE}, {"ESUBREG", REG_ESUBREG},   {"EBRACK", REG_EBRACK},
           {"EPAREN", REG_EPAREN},   {"EBRACE", REG_EBRACE},     {"BADBR", REG_BADBR},
           {"ERANGE", REG_ERANGE},   {"ESPACE", REG_ESPACE},     {"BADRPT", REG_BADRPT}};
  for (auto& e : k)
    if (name == e.n) return e.c;
  return -1;
}

// Parses "(0,1)(?,?)..." into pairs; returns false if the text is not such a list.
bool parse_offsets(const std::string& s, std::vector<std::pair<long, long>>& out) {
  size_t i = 0;
  auto num = [&](long& v) {
    if (i < s.size() && s[i] == '?') {
      v = -1;
      i++;
      return true;
    }
    if (i < s.size() && s[i] == 'X') {
      v = -2;
      i++;
      return true;
    }
    size_t j = i;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') j++;
    if (j == i) return false;
    v = std::strtol(s.c_str() + i, nullptr, 10);
    i = j;
    return true;
  };
  while (i < s.size()) {
    long a, b;
    if (s[i++] != '(' || !num(a) || i >= s.size() || s[i++] != ',' || !num(b) || i >= s.size() ||
        s[i++] != ')')
      return false;
    out.push_back({a, b});
  }
  return !out.empty();
}

struct Case {
  std::string flags, pattern, subject, expect;
};

// Runs one case; on failure, `why` says what went wrong.
bool run_case(const Case& c, bool add_nosub, std::string& why) {
  int cflags = REG_EXTENDED | g_extra_cflags;
  int eflags = 0;
  size_t nmatch = 20;
  bool lenient = false;
  std::string digits;
  for (char f : c.flags) {
    if (f == 'i')
      cflags |= REG_ICASE;
    else if (f == 'n')
      cflags |= REG_NEWLINE;
    else if (f == 'w')
      cflags |= REG_NOSUB;
    else if (f == 'b')
      eflags |= REG_NOTBOL;
    else if (f == 'e')
      eflags |= REG_NOTEOL;
    else if (f == 'x')
      lenient = true;
    else if (f >= '0' && f <= '9')
      digits += f;
  }
  if (!digits.empty()) nmatch = (size_t)std::atoi(digits.c_str());
  if (add_nosub) cflags |= REG_NOSUB;
  bool nosub = (cflags & REG_NOSUB) != 0;

  regex_t re;
  int rc = regcomp(&re, c.pattern.c_str(), cflags);
  int want_err = error_code(c.expect);
  if (want_err >= 0) {
    if (rc == 0) {
      regfree(&re);
      if (lenient) return true;
      why = "compiled, expected " + c.expect;
      return false;
    }
    if (rc != want_err && rc != REG_BADPAT) {
      char buf[100];
      regerror(rc, nullptr, buf, sizeof buf);
      why = "error " + std::string(buf) + ", expected " + c.expect;
      return false;
    }
    return true;
  }
  if (rc != 0) {
    char buf[100];
    regerror(rc, &re, buf, sizeof buf);
    why = std::string("compile failed: ") + buf;
    return false;
  }
  std::vector<regmatch_t> pm(nmatch + 1);
  for (auto& m : pm) m.rm_so = m.rm_eo = -2;
  int er = regexec(&re, c.subject.c_str(), nmatch, pm.data(), eflags);
  size_t nsub = re.re_nsub;
  regfree(&re);
  bool ok = true;
  if (c.expect == "NOMATCH") {
    if (er != REG_NOMATCH) {
      why = "matched, expected NOMATCH";
      ok = false;
    }
    return ok;
  }
  if (er != 0) {
    why = "no match";
    return false;
  }
  if (c.expect == "OK" || nosub) {
    // Offsets are not checked; with REG_NOSUB pmatch must stay untouched.
    if (nosub)
      for (auto& m : pm)
        if (m.rm_so != -2 || m.rm_eo != -2) {
          why = "REG_NOSUB wrote pmatch";
          return false;
        }
    return true;
  }
  std::vector<std::pair<long, long>> want;
  if (!parse_offsets(c.expect, want)) {
    why = "unreadable expectation";
    return false;
  }
  if (want.size() > nsub + 1) {
    why = "re_nsub incorrect";
    return false;
  }
  std::string got;
  for (size_t k = 0; k < nmatch; k++) {
    long so = (long)pm[k].rm_so, eo = (long)pm[k].rm_eo;
    long wso = k < want.size() ? want[k].first : -1, weo = k < want.size() ? want[k].second : -1;
    if (so != wso || eo != weo) ok = false;
    if (k < want.size() || so != -1) {
      got += "(" + (so < 0 ? std::string("?") : std::to_string(so)) + "," +
             (eo < 0 ? std::string("?") : std::to_string(eo)) + ")";
    }
  }
  if (pm[nmatch].rm_so != -2 || pm[nmatch].rm_eo != -2) {
    why = "wrote past nmatch";
    return false;
  }
  if (!ok) why = "got " + got;
  return ok;
}

const ExpectedFailure* expected_failure(const std::string& file, int line) {
  for (const auto& e : kExpectedFailures)
    if (e.file && file == e.file && line == e.line) return &e;
  return nullptr;
}

bool has_any(const std::string& s, const char* chars) {
  return s.find_first_of(chars) != std::string::npos;
}

Counts run_file(const std::string& dir, const std::string& name, bool& io_error) {
  Counts k;
  std::string data;
  if (!read_file(to_native_path(dir + "/" + name), data)) {
    std::printf("%s: cannot read\n", name.c_str());
    io_error = true;
    return k;
  }
  std::vector<Line> lines = logical_lines(data);
  // Restore the AT&T answers that an edited copy commented out.
  std::vector<bool> drop(lines.size(), false);
  for (size_t i = 0; i + 1 < lines.size(); i++) {
    std::string next = lines[i + 1].text;
    if (!strip_label(next)) continue;
    std::vector<std::string> f = split_tabs(next);
    if (f.size() >= 5 && f[4] == "RE2/Go" && !lines[i].text.empty() && lines[i].text[0] == '#') {
      lines[i].text.erase(0, 1);
      drop[i + 1] = true;
    }
  }
  std::string prev_pattern;
  int skip_depth = 0;  // > 0 while inside a block whose probe failed
  for (size_t li = 0; li < lines.size(); li++) {
    if (drop[li]) continue;
    std::string s = lines[li].text;
    if (!strip_label(s)) continue;
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) continue;
    s = s.substr(b);
    char c0 = s[0];
    if (c0 == '#' || c0 == 'T' || c0 == 'N' || (c0 == ':' && (s.size() == 1 || s[1] == ' ')))
      continue;
    std::vector<std::string> f = split_tabs(s);
    const std::string& flags = f[0];
    if (flags.find('}') != std::string::npos) {
      if (skip_depth > 0) skip_depth--;
      continue;
    }
    if (f.size() < 4) continue;
    bool opens = flags.find('{') != std::string::npos;
    Case c;
    c.flags = flags;
    bool dollar = flags.find('$') != std::string::npos;
    c.pattern =
        f[1] == "SAME" ? prev_pattern : (f[1] == "NULL" ? "" : (dollar ? expand(f[1]) : f[1]));
    prev_pattern = c.pattern;
    c.subject = f[2] == "NULL" ? "" : (dollar ? expand(f[2]) : f[2]);
    c.expect = f[3];
    if (skip_depth > 0) {
      if (opens) skip_depth++;
      continue;
    }
    bool runnable =
        flags.find('E') != std::string::npos && !has_any(flags, "ASKLacdfghjklmopqrstvyz/=");
    if (!runnable) {
      if (opens) skip_depth++;  // an unrunnable probe skips its block
      k.skipped++;
      continue;
    }
    std::string why;
    bool pass = run_case(c, false, why);
    if (opens) {
      if (!pass) {
        std::printf("%s:%d: probe failed (%s), block skipped\n", name.c_str(), lines[li].number,
                    why.c_str());
        skip_depth = 1;
      }
      continue;
    }
    const ExpectedFailure* xf = expected_failure(name, lines[li].number);
    if (pass) {
      if (xf) {
        k.xpass++;
        std::printf("%s:%d: listed as failing (%s) but passes: E %s %s\n", name.c_str(),
                    lines[li].number, xf->reason, f[1].c_str(), f[2].c_str());
      } else {
        k.passed++;
      }
      std::string why2;
      if (run_case(c, true, why2)) {
        k.nosub_passed++;
      } else {
        k.nosub_failed++;
        std::printf("%s:%d: REG_NOSUB run: %s\n", name.c_str(), lines[li].number, why2.c_str());
      }
    } else if (xf) {
      k.xfail++;
    } else {
      k.failed++;
      std::printf("%s:%d: FAIL %s /%s/ \"%s\" expected %s: %s\n", name.c_str(), lines[li].number,
                  c.flags.c_str(), f[1].c_str(), f[2].c_str(), c.expect.c_str(), why.c_str());
    }
  }
  return k;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc > 2 && std::strcmp(argv[2], "--utf8") != 0) || argc > 3) {
    std::fprintf(stderr,
                 "usage: %s <folder with basic.dat, nullsubexpr.dat, repetition.dat> [--utf8]\n",
                 argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  if (argc > 2) {
    g_extra_cflags = REG_UTF8;
    std::printf("with REG_UTF8\n");
  }
  const char* files[] = {"basic.dat", "nullsubexpr.dat", "repetition.dat"};
  int passed = 0, failed = 0;
  bool io_error = false;
  for (const char* f : files) {
    Counts k = run_file(dir, f, io_error);
    std::printf(
        "%s: %d passed, %d failed, %d expected failures, %d listed but passing, %d skipped; "
        "REG_NOSUB re-run: %d passed, %d failed\n",
        f, k.passed, k.failed, k.xfail, k.xpass, k.skipped, k.nosub_passed, k.nosub_failed);
    passed += k.passed + k.xfail + k.nosub_passed;
    failed += k.failed + k.xpass + k.nosub_failed;
  }
  if (io_error) failed++;
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
