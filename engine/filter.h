// Which files and folders take part in a listing: folders by name masks alone;
// files by attributes, a modification-time window, a size window and name masks,
// in that order. Masks are semicolon-separated wildcard lists, matched against
// whole names ignoring case.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/listing_settings.h"

namespace lumadir {

// Trims the four mask texts in place and rebuilds the four pattern lists.
void build_pattern_lists(filter_block& filter) noexcept;

// Makes `to` a filter of the same settings and patterns, for another thread:
// a text is not safe to read from two threads at once.
void copy_filter(const filter_block& from, filter_block& to) noexcept;

// True when the name matches one pattern of the list (ignoring case).
bool matches_pattern_list(const variant_list& patterns, const variant& name) noexcept;

// True when the entry passes the filter.
bool passes_filter(const filter_block& filter, const file_entry& entry) noexcept;

// Deletes the entries that fail, each with its subtree, and gives the number
// kept. With a parent, its children are tested; without one, the whole tree in
// pre-order (a rejected folder's subtree is never visited).
int32_t filter_entries(entry_tree& tree, const filter_block& filter, file_entry* parent) noexcept;

}  // namespace lumadir

namespace lumadir {

class xml_document;
struct xml_node;

// Reads the keys present under the settings file's `filter` element and rebuilds
// the pattern lists; absent keys keep their values.
int read_filter_section(filter_block& filter, const xml_document& document,
                        xml_node* section) noexcept;
// Appends the fourteen key lines, masks first, each an element and CR LF.
int write_filter_section(const filter_block& filter, variant_list& lines) noexcept;

}  // namespace lumadir
