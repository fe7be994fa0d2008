# Writes the Unicode simple case folding (statuses C and S of CaseFolding.txt,
# from Debian's unicode-data) as a sorted C table, once per build tree:
#   static const unsigned int lumadir_case_fold_pairs[][2] = {{0x41, 0x61}, ...};
# Each pair maps a code point to the one it folds to; code points not listed fold
# to themselves. The regex library and the base library each include it, so names
# compare and patterns match by the same rule on every platform.
set(LUMADIR_CASE_FOLDING_TXT "/usr/share/unicode/CaseFolding.txt" CACHE FILEPATH
    "Unicode CaseFolding.txt (Debian package unicode-data)")
set(LUMADIR_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(LUMADIR_CASE_FOLD_INC ${LUMADIR_GENERATED_DIR}/unicode_case_fold.inc)

if(NOT EXISTS ${LUMADIR_CASE_FOLDING_TXT})
  message(FATAL_ERROR "${LUMADIR_CASE_FOLDING_TXT} is missing: install the unicode-data package "
                      "(tools/bootstrap.sh does)")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${LUMADIR_CASE_FOLDING_TXT})

if(NOT EXISTS ${LUMADIR_CASE_FOLD_INC} OR ${LUMADIR_CASE_FOLDING_TXT} IS_NEWER_THAN ${LUMADIR_CASE_FOLD_INC}
   OR ${CMAKE_CURRENT_LIST_FILE} IS_NEWER_THAN ${LUMADIR_CASE_FOLD_INC})
  file(STRINGS ${LUMADIR_CASE_FOLDING_TXT} lines REGEX "^[0-9A-F]+; [CS];")
  set(body "")
  set(count 0)
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([0-9A-F]+); [CS]; ([0-9A-F]+);" _ "${line}")
    string(APPEND body "    {0x${CMAKE_MATCH_1}, 0x${CMAKE_MATCH_2}},\n")
    math(EXPR count "${count} + 1")
  endforeach()
  if(count LESS 1000)
    message(FATAL_ERROR "${LUMADIR_CASE_FOLDING_TXT}: only ${count} simple foldings found")
  endif()
  file(MAKE_DIRECTORY ${LUMADIR_GENERATED_DIR})
  file(WRITE ${LUMADIR_CASE_FOLD_INC}.tmp
       "// Generated from ${LUMADIR_CASE_FOLDING_TXT} by cmake/UnicodeCaseFold.cmake.\n"
       "// Unicode simple case folding, sorted by code point; ${count} pairs.\n"
       "static const unsigned int lumadir_case_fold_pairs[][2] = {\n${body}};\n")
  file(RENAME ${LUMADIR_CASE_FOLD_INC}.tmp ${LUMADIR_CASE_FOLD_INC})
endif()
