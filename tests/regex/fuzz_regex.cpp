// libFuzzer target: byte 0 picks the flags, byte 1 the pattern length; the
// pattern and subject follow.  Compiles, matches with groups, frees; then
// all of it again with VX_REG_UTF8, where every offset must also fall on a
// character boundary.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#define VX_REGEX_PREFIXED_ONLY
#include "vx_regex.h"

namespace {

// Where the UTF-8 units of s begin, and its end: a strict reading kept apart
// from the library's own.
std::vector<bool> unit_starts(const std::string& s) {
  std::vector<bool> start(s.size() + 1, false);
  size_t p = 0;
  while (p < s.size()) {
    start[p] = true;
    const unsigned char b = (unsigned char)s[p];
    size_t len = b >= 0xC2 && b <= 0xDF   ? 2
                 : b >= 0xE0 && b <= 0xEF ? 3
                 : b >= 0xF0 && b <= 0xF4 ? 4
                                          : 1;
    uint32_t cp = len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    for (size_t k = 1; k < len; k++) {
      if (p + k >= s.size() || ((unsigned char)s[p + k] & 0xC0) != 0x80) {
        len = 1;
        break;
      }
      cp = (cp << 6) | ((unsigned char)s[p + k] & 0x3F);
    }
    const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) len = 1;
    p += len;
  }
  start[s.size()] = true;
  return start;
}

void check(const std::string& pattern, const std::string& subject, int cflags, int eflags,
           size_t nmatch) {
  vx_regex_t re;
  if (vx_regcomp(&re, pattern.c_str(), cflags) != 0) return;
  std::vector<vx_regmatch_t> pm(nmatch + 1);
  int rc = vx_regexec(&re, subject.c_str(), nmatch, pm.data(), eflags);
  if (rc == 0 && nmatch > 0 && !(cflags & VX_REG_NOSUB)) {
    // Every reported group lies inside the subject and inside group 0.
    const vx_regmatch_t& m0 = pm[0];
    if (m0.rm_so < 0 || m0.rm_eo < m0.rm_so || (size_t)m0.rm_eo > subject.size()) __builtin_trap();
    for (size_t k = 1; k < nmatch; k++) {
      const vx_regmatch_t& m = pm[k];
      if (m.rm_so == -1 && m.rm_eo == -1) continue;
      if (k > re.re_nsub) __builtin_trap();
      if (m.rm_so < m0.rm_so || m.rm_eo > m0.rm_eo || m.rm_eo < m.rm_so) __builtin_trap();
    }
    if (cflags & VX_REG_UTF8) {
      const std::vector<bool> start = unit_starts(subject);
      for (size_t k = 0; k < nmatch; k++)
        if (pm[k].rm_so >= 0 && (!start[(size_t)pm[k].rm_so] || !start[(size_t)pm[k].rm_eo]))
          __builtin_trap();
    }
  }
  // The overall answer does not depend on asking for groups.
  int rc0 = vx_regexec(&re, subject.c_str(), 0, nullptr, eflags);
  if ((rc == 0) != (rc0 == 0)) __builtin_trap();
  vx_regfree(&re);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int cflags = VX_REG_EXTENDED;
  if (data[0] & 1) cflags |= VX_REG_ICASE;
  if (data[0] & 2) cflags |= VX_REG_NEWLINE;
  if (data[0] & 4) cflags |= VX_REG_NOSUB;
  int eflags = 0;
  if (data[0] & 8) eflags |= VX_REG_NOTBOL;
  if (data[0] & 16) eflags |= VX_REG_NOTEOL;
  size_t nmatch = (data[0] >> 5) * 2;  // 0..14
  size_t plen = data[1];
  data += 2;
  size -= 2;
  if (plen > size) plen = size;
  // Strings end at the first NUL, as C strings do.
  std::string pattern(reinterpret_cast<const char*>(data), plen);
  std::string subject(reinterpret_cast<const char*>(data + plen), size - plen);
  pattern = pattern.c_str();
  subject = subject.c_str();

  check(pattern, subject, cflags, eflags, nmatch);
  check(pattern, subject, cflags | VX_REG_UTF8, eflags, nmatch);
  return 0;
}
