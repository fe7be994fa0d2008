// Loading vx_regex.dll by name, as start-up does, and what only the Windows
// build of the library does: case folding taken from the ANSI code page.
#include <gtest/gtest.h>

#include "base/regex_binding.h"

using namespace lumadir;

TEST(RegexLibrary, LoadsBesideTheProgramAndUnloads) {
  EXPECT_FALSE(regex_library_loaded());
  ASSERT_TRUE(load_regex_library());
  EXPECT_TRUE(regex_library_loaded());
  EXPECT_EQ(regex_match("^a+$", 0, variant("aaa")), 0);
  unload_regex_library();
  EXPECT_FALSE(regex_library_loaded());
  EXPECT_NE(regex_match("^a+$", 0, variant("aaa")), 0);  // a code, not a crash
  ASSERT_TRUE(load_regex_library());                     // and again
  unload_regex_library();
}

TEST(RegexLibrary, MissingFileFailsWithoutADialog) {
  EXPECT_FALSE(load_regex_library("no_such_regex_library.dll"));
  EXPECT_FALSE(regex_library_loaded());
  unload_regex_library();
}

TEST(RegexLibrary, LibraryLackingAFunctionFails) {
  // Exports regcomp, regexec and regfree, but no regerror.
  EXPECT_FALSE(load_regex_library("vx_regex_partial.dll"));
  EXPECT_FALSE(regex_library_loaded());
  unload_regex_library();
}

TEST(RegexLibrary, IgnoreCaseFoldsTheCodePagesLetters) {
  ASSERT_TRUE(load_regex_library());
  EXPECT_EQ(regex_match("^\xC9T\xC9$", regex_icase, variant("\xE9t\xE9")), 0);
  EXPECT_EQ(regex_match("^\xE9t\xE9$", regex_icase, variant("\xC9T\xC9")), 0);
  EXPECT_EQ(regex_match("^[\xC0-\xC5]$", regex_icase, variant("\xE4")), 0);
  EXPECT_NE(regex_match("^\xC9$", 0, variant("\xE9")), 0);  // only when asked
  variant mask("*.T\xC9X");
  mask_to_pattern(mask);
  EXPECT_EQ(regex_match(mask.c_str(), regex_icase, variant("notes.t\xE9x")), 0);
  unload_regex_library();
}
