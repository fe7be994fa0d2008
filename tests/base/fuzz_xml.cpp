// libFuzzer target for the XML reader. The reader takes files, so each input is
// written to a file of this process and loaded from there. Beyond the sanitizers
// it checks what must hold for any input: a result of 0 or 2 with a well-formed
// error text, consistent tree links, no open element after a clean load, decoded
// texts that agree with the pattern-based expansion, and paths that find only
// elements.
//   build-fuzz/tests/base/fuzz_xml -max_len=65536 tests/fuzz/corpus/xml
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/regex_binding.h"
#include "base/xml_reader.h"

using namespace lumadir;

namespace {

void check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_xml: %s\n", what);
  std::abort();
}

const std::string& input_path() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("lumadir_fuzz_xml_" + std::to_string(getpid()) + ".xml"))
                                      .string();
  return path;
}

bool write_input(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(input_path().c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

const variant_map& entities() {
  static variant_map* map = [] {
    auto* m = new variant_map;
    m->put(variant("amp"), variant("&"));
    m->put(variant("lt"), variant("<"));
    m->put(variant("gt"), variant(">"));
    m->put(variant("quot"), variant("\""));
    m->put(variant("apos"), variant("'"));
    return m;
  }();
  return *map;
}

bool is_cdata(const xml_node* n) {
  return n->raw.length() >= 12 && std::memcmp(n->raw.text().data(), "<![CDATA[", 9) == 0;
}

void check_error_text(const variant& error) {
  const std::string text(error.c_str(), error.length());
  check(text.rfind("Line: ", 0) == 0, "error text starts with the line");
  check(text.find(", column: ") != std::string::npos, "error text names the column");
  static const char* const messages[] = {"size exceeded.\r\n", "unknown error.\r\n",
                                         "misplaced end tag.\r\n", "unclosed tag.\r\n"};
  bool known = false;
  for (const char* m : messages) {
    const std::string tail = std::string("\r\nError: ") + m;
    known |= text.size() > tail.size() &&
             text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }
  check(known, "error text ends with a known message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool regex_ready = load_regex_library();
  if (!write_input(data, size)) return 0;

  xml_document doc;
  variant error("");
  const xml_load result = doc.load(variant(input_path().c_str()), error);
  check(result == xml_load::loaded || result == xml_load::malformed, "load result");
  if (result == xml_malformed) check_error_text(error);

  int compared = 0;
  for (const xml_node* n = doc.first(); n; n = xml_next(n)) {
    check(!n->next || n->next->previous == n, "next and previous agree");
    check(!n->first_child || (n->first_child->parent == n && !n->first_child->previous),
          "first child links back");
    check(!n->next || n->next->parent == n->parent, "siblings share a parent");
    check(n->closed || n->kind == xml_start_tag, "only start tags stay open");
    if (result == xml_load::loaded) check(n->closed, "a clean load leaves nothing open");
    check(n->kind != xml_end_tag || n->parent, "end tags lie inside their element");
    if (n->kind != xml_text || is_cdata(n)) continue;
    const void* amp = std::memchr(n->raw.text().data(), '&', static_cast<size_t>(n->raw.length()));
    if (!amp) {
      check(n->raw == n->value, "a text without references is its own value");
      continue;
    }
    // The pattern library reads up to a zero byte and compiles on every call: compare
    // a few short texts only.
    if (regex_ready && compared < 3 && n->raw.length() < 512 &&
        !std::memchr(n->raw.text().data(), 0, static_cast<size_t>(n->raw.length()))) {
      ++compared;
      variant expected(n->raw);
      expand_character_references(expected);
      expand_entity_references(expected, entities(), false);
      // A reference to byte 0 hides the rest of the text from the pattern library.
      const bool zero =
          std::memchr(expected.text().data(), 0, static_cast<size_t>(expected.length()));
      check(zero || expected == n->value, "decoded text agrees with the pattern expansion");
    }
  }

  // Paths from the input itself: whatever is found is an element of that name.
  if (size > 0) {
    const size_t cut = data[0] % (size < 64 ? size : 64);
    const variant path(reinterpret_cast<const char*>(data) + (size - cut),
                       static_cast<int32_t>(cut));
    const xml_node* found = doc.find(path, doc.first());
    check(!found || found == doc.first() || found->kind == xml_start_tag ||
              found->kind == xml_empty_element,
          "find gives elements");
    variant out("stale");
    const bool has_text = doc.element_text(path, nullptr, out);
    check(has_text == (doc.find(path) != nullptr), "element_text finds what find finds");
    check(has_text || out.length() == 0, "nothing found leaves no text");
  }
  return 0;
}
