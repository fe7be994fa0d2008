// The library's four entry points, as the platform loader found them. Shared by
// the portable binding and the platform's loader only.
#pragma once

#define VX_REGEX_PREFIXED_ONLY
#include "regex/vx_regex.h"

namespace lumadir::regex_library {

using regcomp_fn = int (*)(vx_regex_t*, const char*, int);
using regexec_fn = int (*)(const vx_regex_t*, const char*, size_t, vx_regmatch_t*, int);
using regerror_fn = size_t (*)(int, const vx_regex_t*, char*, size_t);
using regfree_fn = void (*)(vx_regex_t*);

struct entry_points {
  regcomp_fn regcomp = nullptr;
  regexec_fn regexec = nullptr;
  regerror_fn regerror = nullptr;  // must be present; never called
  regfree_fn regfree = nullptr;
};

// Filled by load_regex_library; all null until then and after unload.
extern entry_points api;

}  // namespace lumadir::regex_library
