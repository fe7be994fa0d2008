// Memory that runs out inside the library comes back as REG_ESPACE through the
// C interface, never as an exception into a caller that cannot catch one, and
// leaks nothing (the sanitizer build checks). Host only: here the library is
// linked in, so this program's operator new is the library's too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#define VX_REGEX_PREFIXED_ONLY  // the C library's <regex.h> comes in through the test framework
#include "vx_regex.h"

namespace {
// Allocations left before every further one fails; negative: no limit.
long allocations_left = -1;
}  // namespace

void* operator new(std::size_t size) {
  if (allocations_left == 0) throw std::bad_alloc();
  if (allocations_left > 0) --allocations_left;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

TEST(RegexNoMemory, CompileAndMatchReportSpaceAtEveryAllocation) {
  // Fail the first allocation, then the second, and so on, until the compile
  // and the match go through: every one of those failures must be REG_ESPACE.
  int failures = 0;
  for (long budget = 0; budget < 100000; ++budget) {
    // A pattern not seen before, so the cache cannot answer without compiling.
    const std::string pattern =
        "(a|b" + std::to_string(budget) + ")*[[:alpha:]\xC3\xA9-\xC3\xBF]+c$";
    vx_regex_t re;
    allocations_left = budget;
    const int compiled =
        vx_regcomp(&re, pattern.c_str(), VX_REG_EXTENDED | VX_REG_ICASE | VX_REG_UTF8);
    int matched = VX_REG_NOMATCH;
    vx_regmatch_t groups[2];
    if (compiled == 0) matched = vx_regexec(&re, "abab\xC3\xA9xc", 2, groups, 0);
    allocations_left = -1;
    if (compiled == 0) vx_regfree(&re);
    if (compiled == 0 && matched != VX_REG_ESPACE) {
      EXPECT_EQ(matched, 0);
      break;
    }
    EXPECT_EQ(compiled == 0 ? matched : compiled, VX_REG_ESPACE) << budget;
    ++failures;
  }
  EXPECT_GT(failures, 3);  // the path allocates, so some budgets must fail
}
