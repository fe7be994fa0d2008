#include "base/xml_reader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "base/file_system.h"
#include "base/text_encoding.h"

namespace lumadir {

// ---- byte source ----------------------------------------------------------------

bool xml_byte_source::push(variant& chunk) noexcept {
  const int32_t length = chunk.length();
  if (!variant_list::push(chunk)) return false;
  total_ += length;
  return true;
}

bool xml_byte_source::pop(variant& out) noexcept {
  char byte;
  if (read(byte) != byte_read) return false;
  out = byte;
  return true;
}

xml_byte_source::read_result xml_byte_source::read_slow(char& byte) noexcept {
  // Move to the next chunk that has bytes; a chunk pushed after the list ran dry
  // is picked up here.
  while (offset_ >= length_) {
    node* following = chunk_ ? chunk_->next : first();
    if (!following) return ended_ ? ended : need_more;
    chunk_ = following;
    data_ = chunk_->value.text().data();
    length_ = chunk_->value.text().length();
    offset_ = 0;
  }
  byte = data_[offset_++];
  advance_position(byte);
  return byte_read;
}

// ---- references -----------------------------------------------------------------

namespace {

bool is_hex(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_letter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_name_start(unsigned char c) {
  return is_letter(c) || c == '_' || c == ':';
}
bool is_name_char(unsigned char c) {
  return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool is_white(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The byte a character reference stands for, from what lies between "&#" and
// ";"; -1 for "!". Up to three bytes count, the "x" of a hexadecimal one
// included; decimal ones are read up to the first byte that is not a digit.
int reference_byte(const char* inner, int32_t length) {
  if (length > 3) return -1;
  int value = 0;
  if (inner[0] == 'x') {
    for (int32_t i = 1; i < length; ++i) {
      const char c = inner[i];
      value = value * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
  } else {
    for (int32_t i = 0; i < length && inner[i] >= '0' && inner[i] <= '9'; ++i)
      value = value * 10 + (inner[i] - '0');
  }
  return value > 255 ? -1 : value;
}

// "&#" [x] hex digits ";" starting at `at` (which holds "&"); the index past the
// ";", or -1.
int32_t character_reference_end(const char* p, int32_t n, int32_t at) {
  int32_t i = at + 1;
  if (i >= n || p[i] != '#') return -1;
  ++i;
  if (i < n && p[i] == 'x') ++i;
  const int32_t digits = i;
  while (i < n && is_hex(static_cast<unsigned char>(p[i]))) ++i;
  if (i == digits || i >= n || p[i] != ';') return -1;
  return i + 1;
}

// "&" name ";" starting at `at`; the index past the ";", or -1. After its first
// byte a name may also hold backslashes: the expansion this stands in for is
// written as a POSIX bracket expression, where "\" is an ordinary member.
int32_t entity_reference_end(const char* p, int32_t n, int32_t at) {
  int32_t i = at + 1;
  if (i >= n || !is_name_start(static_cast<unsigned char>(p[i]))) return -1;
  ++i;
  while (i < n && (is_name_char(static_cast<unsigned char>(p[i])) || p[i] == '\\')) ++i;
  if (i >= n || p[i] != ';') return -1;
  return i + 1;
}

int entity_byte(const char* name, int32_t length) {
  for (const named_entity& e : named_entities)
    if (e.length == length && std::memcmp(e.name, name, static_cast<size_t>(length)) == 0)
      return static_cast<unsigned char>(e.byte);
  return -1;
}

// One pass over `in`: each reference that `reference_end` recognises is replaced
// by its byte or by "!". False when there was nothing to replace.
template <typename ReferenceEnd, typename ReferenceByte>
bool replace_references(const byte_text& in, byte_text& out, ReferenceEnd reference_end,
                        int32_t front, ReferenceByte reference_byte_of) {
  const char* p = in.data();
  const int32_t n = in.length();
  int32_t copied = 0;
  bool replaced = false;
  for (int32_t at = 0; at < n;) {
    const void* amp = std::memchr(p + at, '&', static_cast<size_t>(n - at));
    if (!amp) break;
    at = static_cast<int32_t>(static_cast<const char*>(amp) - p);
    const int32_t end = reference_end(p, n, at);
    if (end < 0) {
      ++at;
      continue;
    }
    if (!replaced) {
      out.set_length(n);  // the result is never longer: room for all of it at once
      out.set_length(0);
      replaced = true;
    }
    out.append(p + copied, at - copied);
    const int byte = reference_byte_of(p + at + front, end - at - front - 1);
    if (byte >= 0x80) {
      // 2.0 wrote each byte of its ANSI code page that way; never longer than
      // the reference ("&#128;" is six bytes, a code page character at most three).
      const variant character = legacy_byte_as_utf8(static_cast<unsigned char>(byte));
      out.append(character.text().data(), character.length());
    } else {
      out.push_back(byte < 0 ? '!' : static_cast<char>(byte));
    }
    copied = at = end;
  }
  if (!replaced) return false;
  out.append(p + copied, n - copied);
  return true;
}

}  // namespace

void decode_xml_references(variant& text) noexcept {
  const byte_text& in = text.text();
  if (in.length() == 0 || !std::memchr(in.data(), '&', static_cast<size_t>(in.length()))) return;
  byte_text characters;
  const bool changed =
      replace_references(in, characters, character_reference_end, 2, reference_byte);
  const byte_text& middle = changed ? characters : in;
  byte_text entities;
  if (replace_references(middle, entities, entity_reference_end, 1, entity_byte))
    text.assign(static_cast<byte_text&&>(entities));
  else if (changed)
    text.assign(static_cast<byte_text&&>(characters));
}

// ---- tag interiors --------------------------------------------------------------

namespace {

// Where one attribute's name and value lie in the tag's bytes.
struct attribute_span {
  int32_t name, name_length;
  int32_t value, value_length;
};

// The attributes of one start tag, as spans of its bytes, put into the node's map
// once the tag is read. A tag with many of them goes in in balanced order: the map
// does not balance itself, and names in ascending order would make it a chain.
class attribute_list {
 public:
  ~attribute_list() { delete[] items_; }

  void clear() { count_ = 0; }
  void add(int32_t name, int32_t name_length, int32_t value, int32_t value_length) noexcept {
    if (count_ == capacity_ && !grow()) return;
    items_[count_++] = {name, name_length, value, value_length};
  }
  void store(const char* tag, variant_map& map) noexcept;

 private:
  bool grow() noexcept {
    const int32_t capacity = capacity_ ? capacity_ * 2 : 8;
    attribute_span* items = new (std::nothrow) attribute_span[capacity];
    if (!items) return false;
    if (count_ > 0)
      std::memcpy(items, items_, sizeof(attribute_span) * static_cast<size_t>(count_));
    delete[] items_;
    items_ = items;
    capacity_ = capacity;
    return true;
  }

  attribute_span* items_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
};

void put_attribute(const char* tag, const attribute_span& a, variant_map& map) noexcept {
  variant name(tag + a.name, a.name_length);
  name.to_lower();
  variant value(tag + a.value, a.value_length);
  decode_xml_references(value);
  map.put(name, value);
}

// Byte order of two names as the map will hold them, lower-cased. Names are made
// of ASCII letters, digits and "_:-." only, so folding A-Z is the whole rule.
int compare_names(const char* a, int32_t a_length, const char* b, int32_t b_length) noexcept {
  auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  const int32_t common = a_length < b_length ? a_length : b_length;
  for (int32_t i = 0; i < common; ++i) {
    const int x = fold(static_cast<unsigned char>(a[i]));
    const int y = fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  return a_length - b_length;
}

void attribute_list::store(const char* tag, variant_map& map) noexcept {
  constexpr int32_t few = 8;  // a chain this short costs nothing
  int32_t* sorted = count_ > few ? new (std::nothrow) int32_t[count_] : nullptr;
  if (!sorted) {
    for (int32_t i = 0; i < count_; ++i) put_attribute(tag, items_[i], map);
    return;
  }
  for (int32_t i = 0; i < count_; ++i) sorted[i] = i;
  const attribute_span* items = items_;
  auto name_order = [tag, items](int32_t a, int32_t b) {
    return compare_names(tag + items[a].name, items[a].name_length, tag + items[b].name,
                         items[b].name_length);
  };
  std::sort(sorted, sorted + count_, [&](int32_t a, int32_t b) {
    const int order = name_order(a, b);
    return order != 0 ? order < 0 : a < b;
  });
  // A later attribute of the same name replaces an earlier one: keep the last.
  int32_t kept = 0;
  for (int32_t i = 0; i < count_; ++i) {
    if (i + 1 < count_ && name_order(sorted[i], sorted[i + 1]) == 0) continue;
    sorted[kept++] = sorted[i];
  }
  // Middle first, then each half the same way: the tree comes out balanced.
  struct range {
    int32_t from, to;  // half-open
  };
  range pending[64];
  int32_t depth = 0;
  pending[depth++] = {0, kept};
  while (depth > 0) {
    const range r = pending[--depth];
    if (r.from >= r.to) continue;
    const int32_t middle = r.from + (r.to - r.from) / 2;
    put_attribute(tag, items_[sorted[middle]], map);
    pending[depth++] = {middle + 1, r.to};
    pending[depth++] = {r.from, middle};
  }
  delete[] sorted;
}

// Reads the bytes between "<" and ">" of a start or end tag: the name, and for a
// start tag its attributes, as spans of `p`.
void parse_tag(const char* p, int32_t n, variant& name, attribute_list* attributes) noexcept {
  int32_t i = 0;
  while (i < n && !is_name_start(static_cast<unsigned char>(p[i]))) ++i;
  const int32_t name_start = i;
  while (i < n && is_name_char(static_cast<unsigned char>(p[i]))) ++i;
  name.assign(p + name_start, i - name_start);
  name.to_lower();
  if (!attributes) return;

  enum class state { between, in_name, after_name, before_value, unquoted, quoted };
  state s = state::between;
  int32_t attribute = 0;
  int32_t attribute_length = 0;
  int32_t value = 0;
  char quote = 0;
  for (; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    switch (s) {
      case state::in_name:
        if (is_name_char(c)) break;
        attribute_length = i - attribute;
        if (c == '=') {
          s = state::before_value;
        } else if (is_white(c)) {
          s = state::after_name;
        } else {
          attributes->add(attribute, attribute_length, 0, 0);
          s = state::between;
          --i;  // look at this byte again
        }
        break;
      case state::after_name:
        if (is_white(c)) break;
        if (c == '=') {
          s = state::before_value;
          break;
        }
        // Another name, or anything else, without "=": the empty value.
        attributes->add(attribute, attribute_length, 0, 0);
        s = state::between;
        --i;
        break;
      case state::before_value:
        if (is_white(c)) break;
        if (c == '"' || c == '\'') {
          quote = static_cast<char>(c);
          value = i + 1;
          s = state::quoted;
        } else {
          value = i;
          s = state::unquoted;
        }
        break;
      case state::unquoted:
        if (is_white(c)) {
          attributes->add(attribute, attribute_length, value, i - value);
          s = state::between;
        } else if (c == '"' || c == '\'') {
          quote = static_cast<char>(c);  // what came before the quote does not count
          value = i + 1;
          s = state::quoted;
        }
        break;
      case state::quoted:
        if (c == static_cast<unsigned char>(quote)) {
          attributes->add(attribute, attribute_length, value, i - value);
          s = state::between;
        }
        break;
      case state::between:
        if (is_name_start(c)) {
          attribute = i;
          s = state::in_name;
        } else if (c == '"' || c == '\'') {
          // A quoted stretch where no value is expected is skipped whole.
          const void* close = std::memchr(p + i + 1, c, static_cast<size_t>(n - i - 1));
          i = close ? static_cast<int32_t>(static_cast<const char*>(close) - p) : n;
        }
        break;
    }
  }
  switch (s) {
    case state::in_name:
      attributes->add(attribute, n - attribute, 0, 0);
      break;
    case state::after_name:
    case state::before_value:
      attributes->add(attribute, attribute_length, 0, 0);
      break;
    case state::unquoted:
    case state::quoted:  // a ">" inside the quotes ended the tag: the value is cut there
      attributes->add(attribute, attribute_length, value, n - value);
      break;
    case state::between:
      break;
  }
}

}  // namespace

// ---- scanner --------------------------------------------------------------------

// One load: classifies the bytes into constructs and links the nodes they make.
// It runs one byte at a time and keeps all of its state between bytes, so it can
// stop whenever the source needs more input and carry on with the next chunk.
class xml_scanner {
 public:
  explicit xml_scanner(xml_document& document) noexcept : document_(document) {}

  xml_byte_source source;

  // Scans what the source holds; 0 or an error code.
  int32_t run() noexcept {
    char c;
    while (source.read(c) == xml_byte_source::byte_read) {
      const int32_t code = step(c);
      if (code != 0) return code;
    }
    return 0;
  }
  // The end of input: the rest of the bytes, then the last pending text.
  int32_t finish() noexcept;

 private:
  enum class relation { first_child, next_sibling };
  // Construct kinds while scanning; the node kinds where there is one.
  static constexpr int32_t undecided = 0;
  static constexpr int32_t cdata = -1;

  int32_t step(char c) noexcept;
  void leave_construct_as_text() noexcept {
    pending_.assign(construct_.data(), construct_.length());
    in_construct_ = false;
  }
  int32_t complete_construct() noexcept;
  int32_t end_tag() noexcept;
  int32_t emit_text() noexcept;
  xml_node* make_node(int32_t kind) noexcept {
    xml_node* fresh = new (std::nothrow) xml_node;
    if (fresh) fresh->kind = kind;
    return fresh;
  }
  void link(xml_node* fresh) noexcept;

  xml_document& document_;
  byte_text pending_;    // text outside constructs
  byte_text construct_;  // the construct being scanned, from its "<"
  bool in_construct_ = false;
  int32_t kind_ = undecided;
  const char* end_marker_ = ">";
  int32_t end_marker_length_ = 1;
  bool quoted_ = false;
  bool escaped_ = false;
  char quote_ = 0;
  xml_node* last_ = nullptr;
  relation relation_ = relation::next_sibling;
  int64_t open_elements_ = 0;
  attribute_list attributes_;
};

int32_t xml_scanner::step(char c) noexcept {
  if (!in_construct_) {
    if (c != '<') {
      pending_.push_back(c);
      return pending_.length() > 0 ? 0 : xml_error_unknown;
    }
    if (pending_.length() > 0) {
      const int32_t code = emit_text();
      if (code != 0) return code;
    }
    construct_.set_length(0);
    construct_.push_back('<');
    in_construct_ = true;
    kind_ = undecided;
    quoted_ = escaped_ = false;
    return construct_.length() > 0 ? 0 : xml_error_unknown;
  }

  construct_.push_back(c);
  const int32_t length = construct_.length();
  if (length == 0) return xml_error_unknown;
  if (kind_ == undecided) {
    static constexpr char comment_opening[] = "<!--";
    static constexpr char cdata_opening[] = "<![CDATA[";
    if (length == 2) {
      if (c == '/') {
        kind_ = xml_end_tag;
      } else if (c == '?') {
        kind_ = xml_processing_instruction;
        end_marker_ = "?>";
      } else if (c == '>') {
        kind_ = xml_empty_markup;
      } else if (is_name_start(static_cast<unsigned char>(c))) {
        kind_ = xml_start_tag;
      } else if (c != '!') {
        leave_construct_as_text();  // "< ", "<1", "<%", "<#" and the like
        return 0;
      }
      if (kind_ != xml_processing_instruction) end_marker_ = ">";
      end_marker_length_ = static_cast<int32_t>(std::strlen(end_marker_));
    } else {
      // After "<!": only a comment or a CDATA section; declarations are text.
      const bool comment = construct_.data()[2] == '-';
      const char* opening = comment ? comment_opening : cdata_opening;
      const int32_t opening_length = comment ? 4 : 9;
      if (length > opening_length || c != opening[length - 1]) {
        leave_construct_as_text();
        return 0;
      }
      if (length == opening_length) {
        kind_ = comment ? xml_comment : cdata;
        end_marker_ = comment ? "-->" : "]]>";
        end_marker_length_ = 3;
      }
      return 0;
    }
  }

  if (kind_ == xml_processing_instruction) {
    // Only here do quotes protect a ">"; inside them a backslash takes the next
    // byte literally.
    if (escaped_) {
      escaped_ = false;
      return 0;
    }
    if (quoted_) {
      if (c == '\\')
        escaped_ = true;
      else if (c == quote_)
        quoted_ = false;
      return 0;
    }
    if (c == '"' || c == '\'') {
      quoted_ = true;
      quote_ = c;
      return 0;
    }
  }

  if (c == '>' && length > end_marker_length_ &&
      std::memcmp(construct_.data() + length - end_marker_length_, end_marker_,
                  static_cast<size_t>(end_marker_length_)) == 0)
    return complete_construct();
  return 0;
}

void xml_scanner::link(xml_node* fresh) noexcept {
  if (!last_) {
    document_.first_ = fresh;
  } else if (relation_ == relation::first_child) {
    fresh->parent = last_;
    last_->first_child = fresh;
  } else {
    fresh->parent = last_->parent;
    fresh->previous = last_;
    last_->next = fresh;
  }
  last_ = fresh;
}

int32_t xml_scanner::emit_text() noexcept {
  xml_node* text = make_node(xml_text);
  if (!text) return xml_error_unknown;
  text->raw.assign(pending_.data(), pending_.length());
  text->value.assign(pending_.data(), pending_.length());
  decode_xml_references(text->value);
  pending_.set_length(0);  // the buffer serves the next text
  link(text);
  relation_ = relation::next_sibling;
  return 0;
}

int32_t xml_scanner::complete_construct() noexcept {
  in_construct_ = false;
  const char* bytes = construct_.data();
  const int32_t length = construct_.length();
  if (kind_ == xml_end_tag) return end_tag();

  int32_t kind = kind_ == cdata ? xml_text : kind_;
  if (kind == xml_start_tag && bytes[length - 2] == '/') kind = xml_empty_element;
  xml_node* fresh = make_node(kind);
  if (!fresh) return xml_error_unknown;
  if (kind == xml_start_tag || kind == xml_empty_element) {
    attributes_.clear();
    parse_tag(bytes + 1, length - 2, fresh->name, &attributes_);
    attributes_.store(bytes + 1, fresh->attributes);
    fresh->closed = kind == xml_empty_element;
  } else if (kind_ == cdata) {
    fresh->value.assign(bytes + 9, length - 12);  // between "<![CDATA[" and "]]>"
  }
  fresh->raw.assign(bytes, length);
  link(fresh);
  if (kind == xml_start_tag) {
    ++open_elements_;
    relation_ = relation::first_child;
  } else {
    relation_ = relation::next_sibling;
  }
  return 0;
}

int32_t xml_scanner::end_tag() noexcept {
  variant name;
  parse_tag(construct_.data() + 1, construct_.length() - 2, name, nullptr);
  // An open start tag with nothing after it: the pair is one empty element.
  if (last_ && last_->kind == xml_start_tag && !last_->closed && last_->name == name) {
    last_->closed = true;
    last_->kind = xml_empty_element;
    --open_elements_;
    relation_ = relation::next_sibling;
    return 0;
  }
  // Otherwise it closes the nearest open ancestor, when that has the name.
  xml_node* at = last_;
  while (at && at->parent && at->parent->closed) at = at->parent;
  xml_node* element = at ? at->parent : nullptr;
  if (!element || !(element->name == name)) return xml_error_misplaced_end_tag;
  xml_node* fresh = make_node(xml_end_tag);
  if (!fresh) return xml_error_unknown;
  fresh->name = static_cast<variant&&>(name);
  fresh->raw.assign(construct_.data(), construct_.length());
  element->closed = true;
  --open_elements_;
  fresh->parent = element;
  fresh->previous = at;
  at->next = fresh;
  // The next node follows the element.
  last_ = element;
  relation_ = relation::next_sibling;
  return 0;
}

int32_t xml_scanner::finish() noexcept {
  source.mark_ended();
  const int32_t code = run();
  if (code != 0) return code;
  if (in_construct_) {
    // A "<" that never became a construct is text; a construct cut off by the
    // end of the file is an unclosed tag, not something to drop in silence.
    if (kind_ != undecided) return xml_error_unclosed_tag;
    leave_construct_as_text();
  }
  if (pending_.length() > 0) {
    const int32_t text_code = emit_text();
    if (text_code != 0) return text_code;
  }
  return open_elements_ > 0 ? xml_error_unclosed_tag : 0;
}

// ---- document -------------------------------------------------------------------

xml_document::~xml_document() {
  clear();
}

void xml_document::clear() noexcept {
  // Each node's children are spliced in after it before it goes, so the whole
  // tree is freed as one list.
  xml_node* at = first_;
  first_ = nullptr;
  while (at) {
    if (at->first_child) {
      xml_node* last_child = at->first_child;
      while (last_child->next) last_child = last_child->next;
      last_child->next = at->next;
      at->next = at->first_child;
    }
    xml_node* following = at->next;
    delete at;
    at = following;
  }
}

static const char* error_message(int32_t code) {
  switch (code) {
    case xml_error_size_exceeded:
      return "size exceeded.\r\n";
    case xml_error_misplaced_end_tag:
      return "misplaced end tag.\r\n";
    case xml_error_unclosed_tag:
      return "unclosed tag.\r\n";
    default:
      return "unknown error.\r\n";
  }
}

namespace {

std::atomic<xml_read_hook> installed_read_hook{nullptr};

int32_t read_chunk(file_handle file, int32_t count, variant& out) noexcept {
  if (xml_read_hook hook = installed_read_hook.load()) return hook(file, count, out);
  return read_file(file, count, out);
}

}  // namespace

void set_xml_read_hook(xml_read_hook hook) noexcept {
  installed_read_hook.store(hook);
}

xml_load xml_document::load(const variant& path, variant& error_text) noexcept {
  clear();
  variant file_path(path);
  owned_file file = open_file(file_path, variant("r+"));
  if (!file) {
    error_text = "Can't open source file: ";
    error_text.append(file_path);
    return xml_load::cannot_open;
  }
  // The whole file first (at most a chunk past the size limit): whether it is
  // UTF-8 or a 2.0 file in the system's ANSI code page is a question of all of it.
  variant content("");
  int32_t code = 0;
  bool broken_read = false;
  for (;;) {
    variant chunk;
    const int32_t count = read_chunk(file.get(), xml_chunk_size, chunk);
    if (count == 0) break;  // the end
    if (count == read_failed(read_error::not_enough_memory)) {
      code = xml_error_unknown;
      break;
    }
    if (count < 0) {
      // Every other error, whatever its code: what was read so far is only part
      // of the file, and settings missing from it would silently take defaults.
      broken_read = true;
      break;
    }
    content.append(chunk);
    if (content.length() > xml_size_limit) break;
  }
  file.reset();
  if (broken_read) {
    error_text = "Can't read source file: ";
    error_text.append(file_path);
    return xml_load::malformed;
  }
  if (code == 0 && content.length() <= xml_size_limit) text_from_stored_bytes(content);

  xml_scanner scanner(*this);
  const byte_text& bytes = content.text();
  for (int32_t at = 0; code == 0 && at < bytes.length(); at += xml_chunk_size) {
    const int32_t left = bytes.length() - at;
    variant chunk(bytes.data() + at, left < xml_chunk_size ? left : xml_chunk_size);
    if (!scanner.source.push(chunk)) {
      code = xml_error_unknown;
      break;
    }
    if (scanner.source.total() > xml_size_limit) {
      code = xml_error_size_exceeded;
      break;
    }
    code = scanner.run();
  }
  if (code == 0) code = scanner.finish();
  if (code == 0) return xml_load::loaded;
  error_text = "Line: ";
  error_text.append(variant(scanner.source.line()));
  error_text.append(", column: ");
  error_text.append(variant(scanner.source.column()));
  error_text.append("\r\nError: ");
  error_text.append(error_message(code));
  return xml_load::malformed;
}

xml_node* xml_document::find(const variant& path, xml_node* start) const noexcept {
  const byte_text& text = path.text();
  const char* p = text.data();
  const int32_t n = text.length();
  if (n == 0) return start;
  xml_node* list = p[0] == '/' || !start ? first_ : start->first_child;
  xml_node* found = start;
  for (int32_t i = 0; i < n;) {
    while (i < n && p[i] == '/') ++i;
    const int32_t from = i;
    while (i < n && p[i] != '/') ++i;
    const int32_t length = i - from;
    if (length == 0) break;
    found = nullptr;
    for (xml_node* at = list; at; at = at->next) {
      if (at->kind != xml_start_tag && at->kind != xml_empty_element) continue;
      const byte_text& name = at->name.text();
      if (name.length() == length &&
          std::memcmp(name.data(), p + from, static_cast<size_t>(length)) == 0) {
        found = at;
        break;
      }
    }
    if (!found) return nullptr;
    list = found->first_child;
  }
  return found;
}

bool xml_document::element_text(const variant& path, xml_node* start, variant& out) const noexcept {
  out = "";
  const xml_node* found = find(path, start);
  if (!found) return false;
  const xml_node* child = found->first_child;
  if (child && child->kind == xml_text) out.assign_text_of(child->value);
  return true;
}

xml_node* xml_next(const xml_node* node) noexcept {
  if (!node) return nullptr;
  if (node->first_child) return node->first_child;
  for (; node; node = node->parent)
    if (node->next) return node->next;
  return nullptr;
}

bool write_xml_element(const variant& name, const variant& value, variant_list& sink) noexcept {
  variant escaped;
  escaped.assign_text_of(value);
  escaped.escape_html();
  variant line("<");
  line.append(name);
  line.append(">");
  line.append(escaped);
  line.append("</");
  line.append(name);
  line.append(">\r\n");
  return sink.push(line);
}

}  // namespace lumadir
