// The host build links the library in; "loading" it just takes its entry points.
#include "base/regex_binding.h"
#include "base/regex_library.h"

namespace lumadir {

namespace regex_library {
entry_points api;
}

bool load_regex_library(const char* file_name) noexcept {
  (void)file_name;
  regex_library::api = {vx_regcomp, vx_regexec, vx_regerror, vx_regfree};
  return true;
}

void unload_regex_library() noexcept {
  regex_library::api = {};
}

}  // namespace lumadir
