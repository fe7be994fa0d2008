// The product's name and version, written once for every program, window,
// registry entry and message that shows them.
#pragma once

namespace lumadir {

#define LUMADIR_PRODUCT_NAME "Lumadir"
#define LUMADIR_PRODUCT_VERSION "2.0"

constexpr char product_name[] = LUMADIR_PRODUCT_NAME;
constexpr char product_version[] = LUMADIR_PRODUCT_VERSION;
// "Lumadir 2.0": the title of the program's boxes and its uninstall entry.
constexpr char product_title[] = LUMADIR_PRODUCT_NAME " " LUMADIR_PRODUCT_VERSION;

}  // namespace lumadir
