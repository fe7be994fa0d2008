#include "base/phrase_table.h"

#include <cstring>
#include <new>

#include "base/file_system.h"
#include "base/xml_reader.h"

namespace lumadir {

namespace {

// Ids are kept in 32 bits, with room for the slot count one above the highest.
constexpr int64_t largest_id = 2147483646;

bool named(const xml_node* node, const char* name) {
  const byte_text& text = node->name.text();
  const int32_t length = static_cast<int32_t>(std::strlen(name));
  return text.length() == length &&
         std::memcmp(text.data(), name, static_cast<size_t>(length)) == 0;
}

// An element with content and an end tag: only those count in a phrase file.
bool is_full_element(const xml_node* node) {
  return node->kind == xml_start_tag && node->closed;
}

bool is_phrase_element(const xml_node* node) {
  return is_full_element(node) && node->name.length() > 0 && node->name.text().data()[0] == '_';
}

// The decimal digits after the underscore, up to the first other byte; false
// for an id too large to keep.
bool phrase_id(const xml_node* node, int32_t& id) {
  const byte_text& name = node->name.text();
  int64_t value = 0;
  for (int32_t i = 1; i < name.length() && name.data()[i] >= '0' && name.data()[i] <= '9'; ++i) {
    value = value * 10 + (name.data()[i] - '0');
    if (value > largest_id) return false;
  }
  id = static_cast<int32_t>(value);
  return true;
}

// The node after the subtree of `node` in document order.
const xml_node* after_subtree(const xml_node* node) {
  for (; node; node = node->parent)
    if (node->next) return node->next;
  return nullptr;
}

// The phrase text an element gives: its first child's value when that child is
// text or CDATA and not empty.
xml_node* phrase_source(const xml_node* element) {
  xml_node* child = element->first_child;
  return child && child->kind == xml_text && child->value.length() > 0 ? child : nullptr;
}

}  // namespace

phrase_table::~phrase_table() {
  destroy();
}

void phrase_table::destroy() noexcept {
  if (languages_) {
    for (int32_t i = 0; i < language_count_; ++i) delete[] languages_[i].entries;
    delete[] languages_;
    languages_ = nullptr;
  }
  full_names_.clear();
  short_names_.clear();
  language_count_ = 0;
  slot_count_ = 0;
  current_ = 0;
}

phrase_load phrase_table::load(const variant& path, variant& error_text) noexcept {
  destroy();
  xml_document document;
  switch (document.load(path, error_text)) {
    case xml_load::cannot_open:
      return phrase_load::cannot_open;
    case xml_load::malformed:
      return phrase_load::malformed;
    case xml_load::loaded:
      break;
  }

  const xml_node* langs = document.first();
  while (langs && !(is_full_element(langs) && named(langs, "langs"))) langs = xml_next(langs);
  if (!langs) return phrase_load::loaded;

  // First pass: names, id order and the slot count.
  const variant short_key("short");
  const variant full_key("full");
  for (const xml_node* lang = langs->first_child; lang; lang = lang->next) {
    if (!is_full_element(lang) || !named(lang, "lang")) continue;
    ++language_count_;
    const variant* short_name = lang->attributes.find(short_key);
    if (!short_name) return phrase_load::no_short_name;
    const variant* full_name = lang->attributes.find(full_key);
    if (!full_name) return phrase_load::no_full_name;
    short_names_.push_copy(*short_name);
    full_names_.push_copy(*full_name);
    int64_t previous = -1;
    const xml_node* end = after_subtree(lang);
    for (const xml_node* at = lang->first_child; at && at != end; at = xml_next(at)) {
      if (!is_phrase_element(at)) continue;
      int32_t id = 0;
      if (!phrase_id(at, id) || id <= previous) return phrase_load::id_wrong;
      previous = id;
    }
    if (previous + 1 > slot_count_) slot_count_ = static_cast<int32_t>(previous + 1);
  }
  if (language_count_ == 0) return phrase_load::no_languages;
  if (slot_count_ == 0) return phrase_load::no_phrases;

  // Second pass: each language keeps the phrases it has, in id order. A failed
  // allocation drops phrases; it is not reported.
  languages_ = new (std::nothrow) language[language_count_];
  if (!languages_) return phrase_load::loaded;
  int32_t index = 0;
  for (const xml_node* lang = langs->first_child; lang; lang = lang->next) {
    if (!is_full_element(lang) || !named(lang, "lang")) continue;
    language& into = languages_[index++];
    const xml_node* end = after_subtree(lang);
    int32_t count = 0;
    for (const xml_node* at = lang->first_child; at && at != end; at = xml_next(at))
      if (is_phrase_element(at) && phrase_source(at)) ++count;
    if (count == 0) continue;
    into.entries = new (std::nothrow) entry[count];
    if (!into.entries) continue;
    for (const xml_node* at = lang->first_child; at && at != end; at = xml_next(at)) {
      if (!is_phrase_element(at)) continue;
      xml_node* source = phrase_source(at);
      if (!source) continue;
      entry& e = into.entries[into.count];
      phrase_id(at, e.id);
      e.text = static_cast<variant&&>(source->value);  // the table takes the text over
      e.text.c_str();  // terminate it now, so that lookups never write
      if (e.text.text().data()) ++into.count;
    }
  }
  current_ = 0;
  return phrase_load::loaded;
}

const phrase_table::entry* phrase_table::find_entry(const language& in, int32_t id) const noexcept {
  // Files usually number their phrases 0, 1, 2...: look where that would put it.
  if (id < in.count && in.entries[id].id == id) return &in.entries[id];
  int32_t low = 0;
  int32_t high = in.count;
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (in.entries[middle].id < id)
      low = middle + 1;
    else
      high = middle;
  }
  return low < in.count && in.entries[low].id == id ? &in.entries[low] : nullptr;
}

const char* phrase_table::phrase(int32_t id) const noexcept {
  if (!languages_ || id < 0 || id >= slot_count_) return nullptr;
  const entry* found = find_entry(languages_[current_], id);
  return found ? found->text.text().data() : nullptr;
}

void phrase_table::select_language(int32_t index) noexcept {
  if (index >= 0 && index < language_count_) current_ = index;
}

namespace {

void append_escaped(variant& out, const variant& text) {
  variant escaped;
  escaped.assign_text_of(text);
  escaped.escape_html();
  out.append(escaped);
}

}  // namespace

phrase_write phrase_table::write(const variant& path) const noexcept {
  variant file_path(path);
  const owned_file file = open_file(file_path, variant("w"));
  if (!file) return phrase_write::cannot_create;
  phrase_write result = phrase_write::written;
  auto put = [&](const variant& piece) {
    const int32_t length = piece.length();
    if (write_file(file.get(), piece, length) < length) result = phrase_write::write_short;
  };

  put(variant("<langs>"));
  // The current language first, then the others in file order. Walking the two
  // name lists once keeps this linear in the number of languages.
  for (int pass = 0; pass < 2; ++pass) {
    const variant_list::node* short_name = short_names_.first();
    const variant_list::node* full_name = full_names_.first();
    for (int32_t i = 0; short_name && full_name;
         ++i, short_name = short_name->next, full_name = full_name->next) {
      if ((i == current_) != (pass == 0)) continue;
      variant piece("<lang short=\"");
      append_escaped(piece, short_name->value);
      piece.append("\" full=\"");
      append_escaped(piece, full_name->value);
      piece.append("\">");
      if (languages_ && i < language_count_) {
        const language& from = languages_[i];
        for (int32_t k = 0; k < from.count; ++k) {
          const variant id(from.entries[k].id);
          piece.append("<_");
          piece.append(id);
          piece.append(">");
          append_escaped(piece, from.entries[k].text);
          piece.append("</_");
          piece.append(id);
          piece.append(">\r\n");
        }
      }
      piece.append("</lang>");
      put(piece);
    }
  }
  put(variant("</langs>"));
  return result;
}

void describe_load_error(phrase_load code, variant& error_text) noexcept {
  variant message;
  switch (code) {
    case phrase_load::cannot_open:
      message = "Can't find language file ";
      message.append(error_text);
      break;
    case phrase_load::malformed:
      message = "Lang file error: ";
      message.append(error_text);
      break;
    case phrase_load::no_short_name:
      message = "No short language description";
      break;
    case phrase_load::no_full_name:
      message = "No full language description";
      break;
    case phrase_load::id_wrong:
      message = "Phrase ID is wrong";
      break;
    case phrase_load::no_languages:
      message = "No languages found";
      break;
    case phrase_load::no_phrases:
      message = "No phrases found";
      break;
    default:  // loaded, or a number no load gives
      message = "Unknown lang error";
      break;
  }
  error_text = static_cast<variant&&>(message);
}

}  // namespace lumadir
