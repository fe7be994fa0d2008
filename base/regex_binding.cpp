#include "base/regex_binding.h"

#include <cstring>
#include <new>

#include "base/text_encoding.h"
#include "base/regex_library.h"

namespace lumadir {

using regex_library::api;

const int regex_icase = VX_REG_ICASE;
const int regex_no_match = VX_REG_NOMATCH;

bool regex_library_loaded() noexcept {
  return api.regcomp != nullptr;
}

namespace {

// The result of match when the library was never loaded; start-up ends the
// program before that can happen, but a code is safer than a null call.
constexpr int not_loaded = -1;

// Every text of the program is UTF-8, so every pattern is compiled in UTF-8
// mode: '.' and brackets take whole characters, and case folds by Unicode
// rather than by the byte table of the ANSI code page.
constexpr int compile_flags = VX_REG_EXTENDED | VX_REG_UTF8;

// One compiled pattern, freed when the operation ends, also after a failed
// compile (the library takes a zeroed regex_t).
class compiled_pattern {
 public:
  compiled_pattern(const char* pattern, int flags) noexcept {
    std::memset(&regex_, 0, sizeof regex_);
    code_ = api.regcomp ? api.regcomp(&regex_, pattern ? pattern : "", flags | compile_flags)
                        : not_loaded;
  }
  ~compiled_pattern() {
    if (api.regfree) api.regfree(&regex_);
  }
  compiled_pattern(const compiled_pattern&) = delete;
  compiled_pattern& operator=(const compiled_pattern&) = delete;

  int code() const { return code_; }
  size_t groups() const { return regex_.re_nsub; }
  // The first match in `text` (a new string each time: no not-at-beginning
  // flag); false when there is none or it is empty.
  bool find_nonempty(const char* text, vx_regmatch_t& match) const noexcept {
    if (api.regexec(&regex_, text, 1, &match, 0) != 0) return false;
    return match.rm_so >= 0 && match.rm_eo > match.rm_so;
  }
  int exec(const char* text, size_t slots, vx_regmatch_t* matches) const noexcept {
    return api.regexec(&regex_, text, slots, matches, 0);
  }

 private:
  vx_regex_t regex_;
  int code_;
};

// Runs a pattern over the subject, handing each non-empty match to `on_match`
// with the text before it; stops at the first failure or empty match. Returns
// where the unmatched rest begins, or -1 when nothing matched.
template <typename OnMatch>
int32_t for_each_match(const compiled_pattern& re, const char* text, int32_t length,
                       OnMatch on_match) noexcept {
  int32_t offset = 0;
  bool any = false;
  vx_regmatch_t match;
  while (offset <= length && re.find_nonempty(text + offset, match)) {
    const int32_t start = offset + static_cast<int32_t>(match.rm_so);
    const int32_t end = offset + static_cast<int32_t>(match.rm_eo);
    on_match(offset, start, end);
    offset = end;
    any = true;
  }
  return any ? offset : -1;
}

}  // namespace

int regex_match(const char* pattern, int flags, const variant& subject,
                variant_list* groups) noexcept {
  if (groups)
    groups->clear();
  else
    flags |= VX_REG_NOSUB;
  compiled_pattern re(pattern, flags);
  if (re.code() != 0) return re.code();
  const char* text = subject.c_str();
  if (!groups) return re.exec(text, 0, nullptr);

  const size_t slots = re.groups() + 1;
  vx_regmatch_t* matches = new (std::nothrow) vx_regmatch_t[slots];
  if (!matches) return VX_REG_ESPACE;
  const int code = re.exec(text, slots, matches);
  if (code == 0) {
    const int32_t length = subject.length();
    for (size_t i = slots; i-- > 0;) {
      const vx_regmatch_t& m = matches[i];
      variant piece("");
      if (m.rm_so >= 0 && m.rm_eo <= length && m.rm_so < m.rm_eo)
        piece.assign(text + m.rm_so, static_cast<int32_t>(m.rm_eo - m.rm_so));
      groups->push_front(piece);
    }
  }
  delete[] matches;
  return code;
}

void regex_replace_all(const char* pattern, int flags, variant& subject,
                       const variant& replacement) noexcept {
  compiled_pattern re(pattern, flags);
  if (re.code() != 0) return;
  const char* text = subject.c_str();
  const int32_t length = subject.length();
  const byte_text& with = replacement.text();
  byte_text out;
  out.set_length(length + 20);  // room for the usual case, allocated once
  out.set_length(0);
  const int32_t rest =
      for_each_match(re, text, length, [&](int32_t from, int32_t start, int32_t end) {
        (void)end;
        out.append(text + from, start - from);
        out.append(with.data(), with.length());
      });
  if (rest < 0) return;
  out.append(text + rest, length - rest);
  subject.assign(static_cast<byte_text&&>(out));
}

void regex_split(const char* pattern, const variant& subject, variant_list& list,
                 int flags) noexcept {
  list.clear();
  if (!pattern || !*pattern) return;
  compiled_pattern re(pattern, flags);
  if (re.code() != 0) return;
  const char* text = subject.c_str();
  const int32_t length = subject.length();
  const int32_t rest = for_each_match(re, text, length, [&](int32_t from, int32_t start, int32_t) {
    list.push(variant(text + from, start - from));
  });
  const int32_t tail = rest < 0 ? 0 : rest;
  list.push(variant(text + tail, length - tail));
}

void regex_replace_by_callback(variant& subject, int flag, regex_callback callback, void* data,
                               const char* pattern, int32_t front_drop, int32_t back_drop,
                               const char* default_replacement) noexcept {
  compiled_pattern re(pattern, 0);  // the callback flag is not a compile flag
  if (re.code() != 0) return;
  const char* text = subject.c_str();
  const int32_t length = subject.length();
  byte_text out;
  variant replacement;
  const int32_t rest =
      for_each_match(re, text, length, [&](int32_t from, int32_t start, int32_t end) {
        int32_t inner = end - start - front_drop - back_drop;
        if (inner < 0) inner = 0;
        out.append(text + from, start - from);
        replacement = "";
        if (callback(text + start + front_drop, inner, flag, data, replacement)) {
          const byte_text& r = replacement.text();
          out.append(r.data(), r.length());
        } else if (default_replacement) {
          out.append(default_replacement, static_cast<int32_t>(std::strlen(default_replacement)));
        }
      });
  if (rest < 0) return;
  out.append(text + rest, length - rest);
  subject.assign(static_cast<byte_text&&>(out));
}

static bool character_reference(const char* inner, int32_t length, int, void*,
                                variant& replacement) {
  if (length > 3) return false;
  int32_t value = 0;
  if (length > 0 && inner[0] == 'x') {
    for (int32_t i = 1; i < length; ++i) {
      const char c = inner[i];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) break;
      value = value * 16 + digit;
    }
  } else {
    value = parse_int(inner, length);
  }
  if (value < 0 || value > 255) return false;
  // As the XML reader reads them: 128 to 255 are bytes of the legacy ANSI code
  // page, which is what 2.0 wrote that way.
  if (value >= 0x80)
    replacement = legacy_byte_as_utf8(static_cast<unsigned char>(value));
  else
    replacement = static_cast<char>(value);
  return true;
}

void expand_character_references(variant& subject) noexcept {
  regex_replace_by_callback(subject, 0, character_reference, nullptr, "&#x?[0-9a-fA-F]+;", 2, 1);
}

static bool entity_reference(const char* inner, int32_t length, int fold_case, void* data,
                             variant& replacement) {
  variant name(inner, length);
  if (fold_case) name.to_lower();
  const variant* value = static_cast<const variant_map*>(data)->find(name);
  if (!value) return false;
  replacement.assign_text_of(*value);
  return true;
}

void expand_entity_references(variant& subject, const variant_map& entities,
                              bool fold_case) noexcept {
  regex_replace_by_callback(subject, fold_case ? 1 : 0, entity_reference,
                            const_cast<variant_map*>(&entities), "&[a-zA-Z_:][a-zA-Z_:0-9\\.\\-]*;",
                            1, 1);
}

void mask_to_pattern(variant& mask) noexcept {
  const int32_t length = mask.length();
  if (length == 0) return;
  const char* in = mask.text().data();
  byte_text out;
  out.set_length(2 * length + 2);  // the longest result: every byte doubled
  out.set_length(0);
  out.push_back('^');
  for (int32_t i = 0; i < length; ++i) {
    const char c = in[i];
    switch (c) {
      case '\\':
        out.append("\\\\", 2);
        break;
      case '|':
      case '+':
      case '{':
      case '}':
      case '(':
      case ')':
      case '.':
      case '^':
      case '$':
      case '[':
      case ']':
        out.push_back('\\');
        out.push_back(c);
        break;
      case '*':
        out.append(".*", 2);
        break;
      case '?':
        out.append(".?", 2);
        break;
      default:
        // Bytes of a multibyte character are never special, so they pass
        // through in order and the pattern holds the same character.
        out.push_back(c);
    }
  }
  out.push_back('$');
  mask.assign(static_cast<byte_text&&>(out));
}

}  // namespace lumadir
