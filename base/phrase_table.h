// Phrase tables: every word the program shows and every piece of markup the
// listing writes is a phrase, looked up by a small number in a table loaded from
// a phrase file (vxlang.xml, setup_lang.xml, format.xml).
//
// A phrase file is an XML document: the first "langs" element with content holds
// "lang" elements (attributes "short" and "full"), and inside each of those any
// element named "_" and a decimal id holds the phrase of that id as its first
// child, text or CDATA. Ids rise strictly within one "lang"; languages may define
// different ids.
#pragma once

#include <cstdint>

#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

// Results of load; cannot_open and malformed are the XML reader's, with its
// error text.
enum class [[nodiscard]] phrase_load : int{
    loaded = 0,         cannot_open = 1, malformed = 2,      no_short_name = 101,
    no_full_name = 102, id_wrong = 103,  no_languages = 104, no_phrases = 105,
};

// Results of write.
enum class [[nodiscard]] phrase_write : int{written = 0, cannot_create = 2, write_short = 3};

class phrase_table {
 public:
  phrase_table() noexcept = default;  // no languages: every lookup gives none
  phrase_table(const phrase_table&) = delete;
  phrase_table& operator=(const phrase_table&) = delete;
  ~phrase_table();

  // Replaces the contents with the file's. For cannot_open and malformed,
  // `error_text` receives the reader's text. A failed load keeps what was built
  // before the failure; start-up ends the program then.
  phrase_load load(const variant& path, variant& error_text) noexcept;

  // The phrase of the current language, zero-terminated, or none (nullptr) for
  // an id the language lacks. Stays valid until the table is loaded again or
  // destroyed.
  const char* phrase(int32_t id) const noexcept;
  // The same, with none given as the empty text.
  const char* phrase_text(int32_t id) const noexcept {
    const char* text = phrase(id);
    return text ? text : "";
  }

  // An index outside the languages is ignored.
  void select_language(int32_t index) noexcept;
  int32_t current_language() const { return current_; }
  int32_t language_count() const { return language_count_; }
  // One more than the highest id of any language.
  int32_t slot_count() const { return slot_count_; }

  // The "full" and "short" attributes of the languages, in file order.
  variant_list& full_names() { return full_names_; }
  variant_list& short_names() { return short_names_; }
  const variant_list& full_names() const { return full_names_; }
  const variant_list& short_names() const { return short_names_; }

  // Writes the table as a phrase file, the current language first, every text
  // escaped for HTML (so the file is ASCII). written, cannot_create, or
  // write_short when a write fell short (the rest is still written).
  phrase_write write(const variant& path) const noexcept;

  // Frees every phrase and both name lists: the table is empty again.
  void destroy() noexcept;

 private:
  struct entry {
    int32_t id = 0;
    variant text;  // never empty; terminated when stored
  };
  // The phrases of one language in ascending id order. Ids may be sparse, so
  // only the ids that have a phrase take room.
  struct language {
    entry* entries = nullptr;
    int32_t count = 0;
  };

  const entry* find_entry(const language& in, int32_t id) const noexcept;

  variant_list full_names_;
  variant_list short_names_;
  language* languages_ = nullptr;  // language_count_ of them once loaded
  int32_t language_count_ = 0;
  int32_t slot_count_ = 0;
  int32_t current_ = 0;
};

// Turns a failed load's result into its message, in place of `error_text`
// (which holds the reader's text for cannot_open and malformed). Start-up shows
// it in a box.
void describe_load_error(phrase_load code, variant& error_text) noexcept;

}  // namespace lumadir
