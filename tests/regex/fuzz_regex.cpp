// libFuzzer target: byte 0 picks the flags, byte 1 the pattern length; the
// pattern and subject follow.  Compiles, matches with groups, frees.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#define VX_REGEX_PREFIXED_ONLY
#include "vx_regex.h"

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

  vx_regex_t re;
  if (vx_regcomp(&re, pattern.c_str(), cflags) != 0) return 0;
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
  }
  // The overall answer does not depend on asking for groups.
  int rc0 = vx_regexec(&re, subject.c_str(), 0, nullptr, eflags);
  if ((rc == 0) != (rc0 == 0)) __builtin_trap();
  vx_regfree(&re);
  return 0;
}
