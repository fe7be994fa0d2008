// The reader for the program's own XML files (settings.ini and the phrase files).
// It is a forgiving scanner, not a validating parser: it knows a fixed set of
// constructs, takes anything else that begins with "<" as text, keeps every piece
// of text (white space too) as a node, lower-cases element and attribute names and
// decodes character and entity references. A malformed document is reported with
// one of four codes and the line and column where scanning stopped.
//
// Every walk and every free here is iterative: the depth of a document is bounded
// only by its size.
#pragma once

#include <cstdint>

#include "base/file_system.h"
#include "base/variant.h"
#include "base/variant_list.h"
#include "base/variant_map.h"

namespace lumadir {

// Node kinds.
constexpr int32_t xml_start_tag = 1;                // an element, open until its end tag
constexpr int32_t xml_end_tag = 2;                  // kept only after an element with content
constexpr int32_t xml_empty_element = 3;            // "<a/>", or "<a></a>" with nothing between
constexpr int32_t xml_comment = 5;                  // "<!--" to "-->"
constexpr int32_t xml_processing_instruction = 11;  // "<?" to "?>"
constexpr int32_t xml_empty_markup = 15;            // "<>"
constexpr int32_t xml_text = 18;                    // text, and CDATA sections

// Results of load.
enum class [[nodiscard]] xml_load : int{loaded = 0, cannot_open = 1, malformed = 2};

// The codes of a malformed document, named in its error text.
constexpr int32_t xml_error_size_exceeded = 1;
constexpr int32_t xml_error_unknown = 3;  // a node could not be allocated
constexpr int32_t xml_error_misplaced_end_tag = 10000;
constexpr int32_t xml_error_unclosed_tag = 10001;

// The whole document is held in memory; a file larger than this is refused.
constexpr int64_t xml_size_limit = 16777216;
constexpr int32_t xml_chunk_size = 16384;

// One construct of a document; owned by its xml_document.
struct xml_node {
  xml_node* parent = nullptr;  // none at the top level
  xml_node* next = nullptr;
  xml_node* first_child = nullptr;
  xml_node* previous = nullptr;
  int32_t kind = xml_text;
  variant name;            // elements and end tags: lower-cased; empty otherwise
  variant raw;             // the bytes as they stood in the file
  variant value;           // text: decoded; CDATA: the content; empty otherwise
  variant_map attributes;  // lower-cased name to decoded value
  bool closed = true;      // false for an element whose end tag has not been seen

  xml_node() noexcept : name(""), raw(""), value("") {}
  xml_node(const xml_node&) = delete;
  xml_node& operator=(const xml_node&) = delete;
};

// The input of one load: the file's chunks, held until the load ends, read back
// byte by byte with a line (from 1) and a column (from 0) of the last byte read.
// A line feed starts a new line; every other byte, a carriage return too, is one
// column.
class xml_byte_source : public variant_list {
 public:
  using variant_list::push;
  // Appends a chunk and counts its bytes into the total.
  bool push(variant& chunk) noexcept override;
  // Hands out the next unread byte as a one-byte text; false when none is
  // available yet. The chunks stay in the list.
  bool pop(variant& out) noexcept override;

  enum read_result { byte_read, need_more, ended };
  read_result read(char& byte) noexcept {
    if (offset_ < length_) {
      byte = data_[offset_++];
      advance_position(byte);
      return byte_read;
    }
    return read_slow(byte);
  }
  // After this, running out of bytes means the input has ended.
  void mark_ended() noexcept { ended_ = true; }

  int64_t total() const { return total_; }
  int32_t line() const { return line_; }
  int32_t column() const { return column_; }

 private:
  void advance_position(char byte) noexcept {
    if (byte == '\n') {
      ++line_;
      column_ = 0;
    } else {
      ++column_;
    }
  }
  read_result read_slow(char& byte) noexcept;

  node* chunk_ = nullptr;  // the chunk being read; none before the first
  const char* data_ = nullptr;
  int32_t length_ = 0;
  int32_t offset_ = 0;
  int64_t total_ = 0;  // kept as chunks arrive, never recounted
  int32_t line_ = 1;
  int32_t column_ = 0;
  bool ended_ = false;
};

// The loader reads its file through read_file, whose results it takes as they are
// documented: the count read, 0 at the end, a negative read error. A test
// installs a stand-in to make a read fail part-way through a real file; none
// restores read_file.
using xml_read_hook = int32_t (*)(file_handle file, int32_t count, variant& out);
void set_xml_read_hook(xml_read_hook hook) noexcept;

class xml_document {
 public:
  xml_document() noexcept = default;
  xml_document(const xml_document&) = delete;
  xml_document& operator=(const xml_document&) = delete;
  ~xml_document();

  // Reads the file into a fresh tree: loaded, cannot_open (error text "Can't
  // open source file: " and the path) or malformed (error text with line,
  // column and message). What was built before an error stays. A read that
  // fails anywhere in the file is malformed too, with the error text "Can't
  // read source file: " and the path, and an empty tree: a file cut short must
  // not pass for a complete one.
  xml_load load(const variant& path, variant& error_text) noexcept;

  xml_node* first() const { return first_; }

  // Follows a "/"-separated path of element names (case-sensitive; stored names
  // are lower case). A leading "/" starts at the top level even with a start
  // node; otherwise among the start node's children, or at the top level without
  // one. Empty components are skipped; an empty path gives the start node.
  xml_node* find(const variant& path, xml_node* start = nullptr) const noexcept;
  // Whether the path finds an element; `out` holds the value of its first child
  // when that is text (or CDATA), else is empty.
  [[nodiscard]] bool element_text(const variant& path, xml_node* start,
                                  variant& out) const noexcept;

  void clear() noexcept;

 private:
  friend class xml_scanner;
  xml_node* first_ = nullptr;
};

// First child, else next sibling, else the next sibling of the nearest ancestor
// that has one; none at the end.
xml_node* xml_next(const xml_node* node) noexcept;

// Pushes "<name>value</name>" and CR LF as one item, the value's text form
// escaped for HTML.
bool write_xml_element(const variant& name, const variant& value, variant_list& sink) noexcept;

// Character references ("&#65;", "&#x41;"), then the five entities amp, lt, gt,
// quot and apos (case-sensitive); an out-of-range reference or unknown entity
// becomes "!". The result of expand_character_references followed by
// expand_entity_references, but linear in the text and without the pattern
// library, and a zero byte does not end the text.
void decode_xml_references(variant& text) noexcept;

}  // namespace lumadir
