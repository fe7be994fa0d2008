// Pattern matching for the whole program, on the POSIX interface of
// vx_regex.dll, which is loaded by name at start-up. Patterns are always
// extended regular expressions over UTF-8 text: '.' and brackets take one
// character, case folds by Unicode, offsets are bytes. Each operation
// compiles, runs and frees its pattern before it returns.
#pragma once

#include <cstdint>

#include "base/variant.h"
#include "base/variant_list.h"
#include "base/variant_map.h"

namespace lumadir {

// Compile flags the callers may add (their values are the library's).
extern const int regex_icase;
extern const int regex_no_match;  // the result of match for a plain mismatch

// Loads the library and resolves regcomp, regexec, regerror and regfree in that
// order; false at the first one missing (the library then stays loaded until
// unload). Raises no system dialog for a missing file.
bool load_regex_library(const char* file_name = "vx_regex.dll") noexcept;
void unload_regex_library() noexcept;
bool regex_library_loaded() noexcept;

// 0 on a match, else the nonzero code of compiling or matching. With `groups`,
// the list is cleared and, on a match, holds the whole match and then groups 1
// to n (a group that did not take part, or matched nothing, is empty).
int regex_match(const char* pattern, int flags, const variant& subject,
                variant_list* groups = nullptr) noexcept;

// Replaces every non-empty match by `replacement`. Stops at the first empty
// match; a pattern that does not compile leaves the subject as it is.
void regex_replace_all(const char* pattern, int flags, variant& subject,
                       const variant& replacement) noexcept;

// Clears the list and fills it with the pieces between non-empty matches; the
// piece after the last match is always added. An empty or bad pattern leaves it
// empty.
void regex_split(const char* pattern, const variant& subject, variant_list& list,
                 int flags = 0) noexcept;

// Gives the replacement for the inner text of one match, or false for the
// default replacement.
using regex_callback = bool (*)(const char* inner, int32_t length, int flag, void* data,
                                variant& replacement);

// Replaces each non-empty match by what the callback makes of it, the match's
// first `front_drop` and last `back_drop` bytes left out of what it is shown.
void regex_replace_by_callback(variant& subject, int flag, regex_callback callback, void* data,
                               const char* pattern, int32_t front_drop, int32_t back_drop,
                               const char* default_replacement = "!") noexcept;

// "&#65;" and "&#x41;" become the byte they name; out-of-range ones become "!".
void expand_character_references(variant& subject) noexcept;
// "&name;" becomes the map's value for name (lower-cased first when `fold_case`);
// an unknown name becomes "!".
void expand_entity_references(variant& subject, const variant_map& entities,
                              bool fold_case) noexcept;

// A wildcard mask ("*" any run, "?" zero or one character) becomes its
// anchored pattern; every other special byte is taken literally. An empty mask
// stays empty.
void mask_to_pattern(variant& mask) noexcept;

}  // namespace lumadir
