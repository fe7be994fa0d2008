#include "base/regex_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lumadir;

namespace {

class RegexBinding : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(load_regex_library()); }
  void TearDown() override { unload_regex_library(); }
};

std::string str(const variant& v) {
  return std::string(v.c_str(), v.length());
}

std::vector<std::string> items(variant_list& list) {
  std::vector<std::string> out;
  for (auto* n = list.first(); n; n = n->next) out.push_back(str(n->value));
  return out;
}

using pieces = std::vector<std::string>;

bool mask_matches(const char* mask, const char* name, int flags = 0) {
  variant pattern(mask);
  mask_to_pattern(pattern);
  return regex_match(pattern.c_str(), flags, variant(name)) == 0;
}

}  // namespace

TEST_F(RegexBinding, MatchWithAndWithoutGroups) {
  variant_list groups;
  groups.push(variant("stale"));
  EXPECT_EQ(regex_match("(a+)(x)?(b+)", 0, variant("zzaabbb"), &groups), 0);
  EXPECT_EQ(items(groups), (pieces{"aabbb", "aa", "", "bbb"}));  // (x) took no part

  EXPECT_EQ(regex_match("^(.*)\\.(txt)$", regex_icase, variant("Report.TXT"), &groups), 0);
  EXPECT_EQ(items(groups), (pieces{"Report.TXT", "Report", "TXT"}));

  EXPECT_EQ(regex_match("^abc$", 0, variant("abcd")), regex_no_match);
  EXPECT_EQ(regex_match("^abc$", 0, variant("abcd"), &groups), regex_no_match);
  EXPECT_EQ(groups.count(), 0);  // cleared even without a match
  EXPECT_EQ(regex_match("ABC", regex_icase, variant("xabcx")), 0);
  EXPECT_EQ(regex_match("(()", 0, variant("x")) != 0, true);  // compile failure code
  EXPECT_NE(regex_match("a{2,1}", 0, variant("aa")), regex_no_match);
  EXPECT_EQ(regex_match("x*", 0, variant(""), &groups), 0);
  EXPECT_EQ(items(groups), (pieces{""}));             // an empty whole match is an empty text
  EXPECT_EQ(regex_match("^12$", 0, variant(12)), 0);  // the subject's text form
}

TEST_F(RegexBinding, ReplaceAll) {
  variant v("1 234,5");
  regex_replace_all("[^0-9]", 0, v, variant(""));
  EXPECT_EQ(str(v), "12345");
  variant digits("987");
  const char* block = digits.text().data();
  regex_replace_all("[^0-9]", 0, digits, variant(""));
  EXPECT_EQ(str(digits), "987");
  EXPECT_EQ(digits.text().data(), block);  // untouched

  variant anchored("aaa");
  regex_replace_all("^a", 0, anchored, variant("b"));  // each search is a new string
  EXPECT_EQ(str(anchored), "bbb");

  variant empty_stop("abc");
  regex_replace_all("x*", 0, empty_stop, variant("-"));  // first match is empty: stop
  EXPECT_EQ(str(empty_stop), "abc");
  variant stops_later("aab");
  regex_replace_all("a*", 0, stops_later, variant("<>"));  // "aa", then empty before b
  EXPECT_EQ(str(stops_later), "<>b");

  variant bad("keep");
  regex_replace_all("(", 0, bad, variant("x"));
  EXPECT_EQ(str(bad), "keep");

  variant longer("a.b.c");
  regex_replace_all("\\.", 0, longer, variant(" dot "));
  EXPECT_EQ(str(longer), "a dot b dot c");
  variant icase("Tic TAC toe");
  regex_replace_all("t", regex_icase, icase, variant("_"));
  EXPECT_EQ(str(icase), "_ic _AC _oe");
}

TEST_F(RegexBinding, Split) {
  variant_list list;
  regex_split(" *; *", variant("a ; b;c"), list);
  EXPECT_EQ(items(list), (pieces{"a", "b", "c"}));
  regex_split(" *; *", variant("abc"), list);
  EXPECT_EQ(items(list), (pieces{"abc"}));
  regex_split(" *; *", variant("a;"), list);
  EXPECT_EQ(items(list), (pieces{"a", ""}));
  regex_split("\r?\n", variant("one\r\ntwo\nthree"), list);
  EXPECT_EQ(items(list), (pieces{"one", "two", "three"}));
  regex_split("", variant("abc"), list);
  EXPECT_EQ(list.count(), 0);
  regex_split("[", variant("abc"), list);
  EXPECT_EQ(list.count(), 0);
  regex_split(",", variant(""), list);
  EXPECT_EQ(items(list), (pieces{""}));
  regex_split("X", variant("axb"), list, regex_icase);
  EXPECT_EQ(items(list), (pieces{"a", "b"}));
}

TEST_F(RegexBinding, CharacterReferences) {
  variant v("&#65;&#x41;&#1000;&#256;&#X41;&#255;&#x7e;");
  expand_character_references(v);
  EXPECT_EQ(str(v), "AA!!&#X41;\xC3\xBF~");  // 255: the legacy code page's \xFF, in UTF-8
  variant partial("&#1a;");  // decimal digits up to the first other byte
  expand_character_references(partial);
  EXPECT_EQ(str(partial), std::string("\x01", 1));
  variant none("no references & here");
  expand_character_references(none);
  EXPECT_EQ(str(none), "no references & here");
}

TEST_F(RegexBinding, EntityReferences) {
  variant_map entities;
  entities.put(variant("amp"), variant("&"));
  entities.put(variant("my-name.x"), variant("Lumadir"));
  variant v("a &amp; b &unknown; c &my-name.x;");
  expand_entity_references(v, entities, false);
  EXPECT_EQ(str(v), "a & b ! c Lumadir");
  variant upper("&AMP;");
  expand_entity_references(upper, entities, false);
  EXPECT_EQ(str(upper), "!");
  upper = "&AMP;";
  expand_entity_references(upper, entities, true);
  EXPECT_EQ(str(upper), "&");
  variant not_a_name("&1x; & ;");
  expand_entity_references(not_a_name, entities, false);
  EXPECT_EQ(str(not_a_name), "&1x; & ;");
}

TEST_F(RegexBinding, MaskToPattern) {
  variant m("a?c");
  mask_to_pattern(m);
  EXPECT_EQ(str(m), "^a.?c$");
  m = "*.txt";
  mask_to_pattern(m);
  EXPECT_EQ(str(m), "^.*\\.txt$");
  m = "c:\\(x)|+{1}^$[a]";
  mask_to_pattern(m);
  EXPECT_EQ(str(m), "^c:\\\\\\(x\\)\\|\\+\\{1\\}\\^\\$\\[a\\]$");
  m = "";
  mask_to_pattern(m);
  EXPECT_EQ(m.length(), 0);

  EXPECT_TRUE(mask_matches("a?c", "ac"));
  EXPECT_TRUE(mask_matches("a?c", "abc"));
  EXPECT_FALSE(mask_matches("a?c", "abbc"));
  EXPECT_TRUE(mask_matches("*.txt", "notes.txt"));
  EXPECT_FALSE(mask_matches("*.txt", "notesxtxt"));
  EXPECT_FALSE(mask_matches("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(mask_matches("data(1)+[2].csv", "data(1)+[2].csv"));
  EXPECT_TRUE(mask_matches("a\\b", "a\\b"));
  EXPECT_TRUE(mask_matches("*", ""));
  // Every special taken literally: a mask made of all of them matches itself.
  EXPECT_TRUE(mask_matches("|+{}().^$[]\\", "|+{}().^$[]\\"));
}

TEST_F(RegexBinding, PathologicalMaskStaysFast) {
  // Linear-time matching: a backtracking engine would not finish this.
  const std::string name(5000, 'a');
  EXPECT_FALSE(mask_matches("*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
  EXPECT_TRUE(mask_matches("*a*a*a*a*a*a*a*a*a*a*", name.c_str()));
}

// Texts are UTF-8 (literals in this file too): every pattern works on characters.
TEST_F(RegexBinding, MasksMatchCharactersOfUtf8Names) {
  variant m("é?.txt");
  mask_to_pattern(m);
  EXPECT_EQ(str(m), "^é.?\\.txt$");

  EXPECT_TRUE(mask_matches("?.txt", "é.txt"));
  EXPECT_TRUE(mask_matches("?.txt", "日.txt"));
  EXPECT_TRUE(mask_matches("?.txt", "😀.txt"));
  EXPECT_FALSE(mask_matches("?.txt", "ab.txt"));
  EXPECT_FALSE(mask_matches("?.txt", "éé.txt"));
  EXPECT_TRUE(mask_matches("*日本*", "x日本語.txt"));
  EXPECT_FALSE(mask_matches("*日本*", "x日語.txt"));
  EXPECT_TRUE(mask_matches("É*", "élan", regex_icase));
  EXPECT_FALSE(mask_matches("É*", "élan"));
  EXPECT_TRUE(mask_matches("*Ж.TXT", "жж.txt", regex_icase));
  // A name with a byte that is not UTF-8 still passes a wildcard.
  EXPECT_TRUE(mask_matches("*.txt", "a\xff.txt"));
  EXPECT_TRUE(mask_matches("a?.txt", "a\xff.txt"));
}

TEST_F(RegexBinding, OperationsTakeWholeCharacters) {
  variant_list groups;
  EXPECT_EQ(regex_match("^(.)(.*)$", 0, variant("日本"), &groups), 0);
  EXPECT_EQ(items(groups), (pieces{"日本", "日", "本"}));

  variant_list list;
  regex_split("[、,]", variant("一、二,三"), list);
  EXPECT_EQ(items(list), (pieces{"一", "二", "三"}));

  variant v("aé日");
  regex_replace_all(".", 0, v, variant("-"));
  EXPECT_EQ(str(v), "---");
  variant folded("Straße STRASSE");
  regex_replace_all("ẞ", regex_icase, folded, variant("ss"));
  EXPECT_EQ(str(folded), "Strasse STRASSE");
}
