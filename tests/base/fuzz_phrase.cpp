// libFuzzer target for phrase files. Each input is written to a file of this
// process and loaded; a table that loads is looked up, written to a second file
// and loaded again, which must give the same languages and phrases (the writer
// escapes every byte that could change on the way back).
//   build-fuzz/tests/base/fuzz_phrase -max_len=65536 tests/fuzz/corpus/phrase
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/message_box.h"
#include "base/phrase_table.h"

using namespace lumadir;

namespace {

void check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_phrase: %s\n", what);
  std::abort();
}

std::string path_in_temp(const char* suffix) {
  return (std::filesystem::temp_directory_path() /
          ("lumadir_fuzz_phrase_" + std::to_string(getpid()) + suffix))
      .string();
}

bool write_input(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

void quiet_box(void*, const char*, const char*, uint32_t) {}

bool same_lists(const variant_list& a, const variant_list& b) {
  const variant_list::node* x = a.first();
  const variant_list::node* y = b.first();
  for (; x && y; x = x->next, y = y->next)
    if (!(x->value == y->value)) return false;
  return !x && !y;
}

bool same_text(const char* a, const char* b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = path_in_temp(".xml");
  static const std::string written = path_in_temp("_out.xml");
  set_message_box_hook(quiet_box);
  if (!write_input(input, data, size)) return 0;

  phrase_table table;
  variant error("");
  const phrase_load result = table.load(variant(input.c_str()), error);
  variant message(error);
  describe_load_error(result, message);
  check(message.length() > 0, "every load result has a message");
  if (result != phrase_load::loaded) return 0;
  check(table.current_language() == 0, "the first language is current");
  check(table.short_names().count() == table.language_count() &&
            table.full_names().count() == table.language_count(),
        "one name of each kind per language");
  if (table.language_count() == 0) {
    check(table.phrase(0) == nullptr, "an empty table has no phrases");
    return 0;
  }

  check(table.phrase(-1) == nullptr && table.phrase(table.slot_count()) == nullptr,
        "ids outside the slots give none");
  // Escaping may make the written file six times as large as the input; keep it
  // below the reader's limit, and the id walks short.
  if (size > 2 * 1024 * 1024 || table.slot_count() > 4096) return 0;

  // A language without any phrase is written as an empty "lang" element, which a
  // phrase file does not count; the round trip holds when every language has one.
  bool every_language_has_a_phrase = true;
  for (int32_t language = 0; language < table.language_count(); ++language) {
    table.select_language(language);
    bool any = false;
    for (int32_t id = 0; id < table.slot_count(); ++id) any |= table.phrase(id) != nullptr;
    every_language_has_a_phrase &= any;
  }
  table.select_language(0);

  if (table.write(variant(written.c_str())) != phrase_write::written) return 0;
  phrase_table again;
  const phrase_load reread = again.load(variant(written.c_str()), error);
  if (!every_language_has_a_phrase) return 0;
  check(reread == phrase_load::loaded, "a written table loads");
  check(same_lists(table.short_names(), again.short_names()) &&
            same_lists(table.full_names(), again.full_names()),
        "names survive the round trip");
  check(again.slot_count() <= table.slot_count(), "no slot appears from nowhere");
  for (int32_t language = 0; language < table.language_count(); ++language) {
    table.select_language(language);
    again.select_language(language);
    for (int32_t id = 0; id < table.slot_count(); ++id)
      check(same_text(table.phrase(id), again.phrase(id)), "phrases survive the round trip");
  }
  return 0;
}
