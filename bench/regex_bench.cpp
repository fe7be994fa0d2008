// Compile + match + free, as the filter does it for every name it tests, with
// our library and with the host C library. Prints microseconds per round.
//   build-bench/bench/regex_bench
#include <regex.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#define VX_REGEX_PREFIXED_ONLY
#include "regex/vx_regex.h"

namespace {

using clock_type = std::chrono::steady_clock;

struct bench_case {
  const char* label;
  std::string pattern;
  std::string subject;
};

// Runs rounds until about half a second has passed (at least one round).
template <typename Round>
double microseconds_per_round(Round round, int& matches) {
  const auto start = clock_type::now();
  long rounds = 0;
  matches = 0;
  double elapsed = 0;
  do {
    matches += round();
    ++rounds;
    elapsed = std::chrono::duration<double>(clock_type::now() - start).count();
  } while (elapsed < 0.5);
  return elapsed * 1e6 / static_cast<double>(rounds);
}

}  // namespace

int main() {
  const std::string many_a(1000, 'a');
  const std::vector<bench_case> cases = {
      {"^.*$ on a file name", "^.*$", "Quarterly report 2026.txt"},
      {"^.*\\.txt$ on a file name", "^.*\\.txt$", "Quarterly report 2026.txt"},
      {"^data.?\\.csv$ on a file name", "^data.?\\.csv$", "data7.csv"},
      {"mask *a*a*a*a*a*a*a*a*a*a*b on 30 a's", "^.*a.*a.*a.*a.*a.*a.*a.*a.*a.*a.*b$",
       std::string(30, 'a')},
      {"mask *a*a*a*a*a*a*a*a*a*a*b on 1000 a's", "^.*a.*a.*a.*a.*a.*a.*a.*a.*a.*a.*b$", many_a},
      {"^.*\\.txt$ on a 1 MB subject", "^.*\\.txt$", std::string(1 << 20, 'x') + ".txt"},
  };

  std::printf("%-44s %14s %14s %8s\n", "compile + match + free", "vx_regex (us)", "C library (us)",
              "ratio");
  for (const bench_case& c : cases) {
    int ours_matched = 0;
    int theirs_matched = 0;
    const double ours = microseconds_per_round(
        [&] {
          vx_regex_t re;
          if (vx_regcomp(&re, c.pattern.c_str(), VX_REG_EXTENDED | VX_REG_NOSUB) != 0) return 0;
          const int hit = vx_regexec(&re, c.subject.c_str(), 0, nullptr, 0) == 0;
          vx_regfree(&re);
          return hit;
        },
        ours_matched);
    const double theirs = microseconds_per_round(
        [&] {
          regex_t re;
          if (regcomp(&re, c.pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) return 0;
          const int hit = regexec(&re, c.subject.c_str(), 0, nullptr, 0) == 0;
          regfree(&re);
          return hit;
        },
        theirs_matched);
    std::printf("%-44s %14.2f %14.2f %8.2f%s\n", c.label, ours, theirs, ours / theirs,
                (ours_matched > 0) != (theirs_matched > 0) ? "  (answers differ!)" : "");
  }
  return 0;
}
