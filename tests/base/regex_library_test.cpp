// Loading vx_regex.dll by name, as start-up does, and how the shipped library
// folds case for the program's UTF-8 text (literals here are UTF-8).
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

TEST(RegexLibrary, IgnoreCaseFoldsUnicodeLetters) {
  ASSERT_TRUE(load_regex_library());
  EXPECT_EQ(regex_match("^ÉTÉ$", regex_icase, variant("été")), 0);
  EXPECT_EQ(regex_match("^été$", regex_icase, variant("ÉTÉ")), 0);
  EXPECT_EQ(regex_match("^[À-Å]$", regex_icase, variant("ä")), 0);
  EXPECT_NE(regex_match("^É$", 0, variant("é")), 0);  // only when asked
  variant mask("*.TÉX");
  mask_to_pattern(mask);
  EXPECT_EQ(regex_match(mask.c_str(), regex_icase, variant("notes.téx")), 0);
  unload_regex_library();
}
