// The product's name and version, written once for every program, window,
// registry entry, message and version resource that shows them. The resource
// compiler reads only the macros (it defines RC_INVOKED); C++ code uses the
// constants.
#pragma once

#define LUMADIR_COMPANY_NAME "VEXA"
#define LUMADIR_PRODUCT_NAME "Lumadir"
// As numbers for a version resource's FILEVERSION and PRODUCTVERSION.
#define LUMADIR_VERSION_MAJOR 2
#define LUMADIR_VERSION_MINOR 0

#define LUMADIR_TEXT_OF_(x) #x
#define LUMADIR_TEXT_OF(x) LUMADIR_TEXT_OF_(x)
// "2.0"
#define LUMADIR_PRODUCT_VERSION \
  LUMADIR_TEXT_OF(LUMADIR_VERSION_MAJOR) "." LUMADIR_TEXT_OF(LUMADIR_VERSION_MINOR)
// "2.0.0.0", a version resource's FileVersion.
#define LUMADIR_FILE_VERSION LUMADIR_PRODUCT_VERSION ".0.0"
// "Lumadir 2.0"
#define LUMADIR_PRODUCT_TITLE LUMADIR_PRODUCT_NAME " " LUMADIR_PRODUCT_VERSION

#ifndef RC_INVOKED
namespace lumadir {

constexpr char company_name[] = LUMADIR_COMPANY_NAME;
constexpr char product_name[] = LUMADIR_PRODUCT_NAME;
constexpr char product_version[] = LUMADIR_PRODUCT_VERSION;
// "Lumadir 2.0": the title of the program's boxes and its uninstall entry.
constexpr char product_title[] = LUMADIR_PRODUCT_TITLE;

}  // namespace lumadir
#endif
