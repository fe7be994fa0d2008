// The pieces the CSV, JSON and text forms are made of: a CSV cell (quoting and
// the formula rule), a JSON string, the width of a text in character cells, the
// machine times, and the type a file name or word names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/csv_format.h"
#include "engine/json_format.h"
#include "engine/listing_format.h"
#include "engine/text_format.h"

using namespace lumadir;

namespace {

std::string text(const variant& v) {
  return std::string(v.c_str(), v.length());
}
std::string csv(const std::string& s) {
  return text(csv_cell(variant(s.data(), static_cast<int32_t>(s.size()))));
}
std::string json(const std::string& s) {
  return text(json_string(variant(s.data(), static_cast<int32_t>(s.size()))));
}
int32_t width(const std::string& s) {
  return text_width(s.data(), static_cast<int32_t>(s.size()));
}

// A reader of one CSV cell as RFC 4180 has it, then the help page's rule: one
// apostrophe dropped from a cell that matches ^'+[=+\-@\t\r].
std::string read_cell(const std::string& cell) {
  std::string value;
  if (!cell.empty() && cell.front() == '"') {
    EXPECT_GE(cell.size(), 2u);
    EXPECT_EQ(cell.back(), '"') << cell;
    for (size_t i = 1; i + 1 < cell.size(); ++i) {
      if (cell[i] == '"') {
        EXPECT_EQ(cell[i + 1], '"') << "a lone quote in " << cell;
        ++i;
      }
      value += cell[i];
    }
  } else {
    EXPECT_EQ(cell.find_first_of(",\"\r\n"), std::string::npos) << "unquoted: " << cell;
    value = cell;
  }
  size_t apostrophes = 0;
  while (apostrophes < value.size() && value[apostrophes] == '\'') ++apostrophes;
  if (apostrophes > 0 && apostrophes < value.size() &&
      std::string("=+-@\t\r").find(value[apostrophes]) != std::string::npos)
    value.erase(0, 1);
  return value;
}

}  // namespace

TEST(CsvCell, QuotesWhatRfc4180Asks) {
  EXPECT_EQ(csv("plain name.txt"), "plain name.txt");
  EXPECT_EQ(csv(""), "");
  EXPECT_EQ(csv("a,b.txt"), "\"a,b.txt\"");
  EXPECT_EQ(csv("q\"uote\".txt"), "\"q\"\"uote\"\".txt\"");
  EXPECT_EQ(csv("\""), "\"\"\"\"");
  EXPECT_EQ(csv("line\nbreak"), "\"line\nbreak\"");
  EXPECT_EQ(csv("line\r\nbreak"), "\"line\r\nbreak\"");
  EXPECT_EQ(csv("tab\tinside"), "tab\tinside");  // a tab needs no quotes
  EXPECT_EQ(csv("it's"), "it's");
}

TEST(CsvCell, FormulaLikeCellsGetAnApostrophe) {
  EXPECT_EQ(csv("=cmd|' /C calc'!A0"), "'=cmd|' /C calc'!A0");
  EXPECT_EQ(csv("=1+2"), "'=1+2");
  EXPECT_EQ(csv("+1.txt"), "'+1.txt");
  EXPECT_EQ(csv("-2.txt"), "'-2.txt");
  EXPECT_EQ(csv("@SUM(A1)"), "'@SUM(A1)");
  EXPECT_EQ(csv("\tx"), "'\tx");
  EXPECT_EQ(csv("\rx"), "\"'\rx\"");  // and quoted, for the carriage return
  EXPECT_EQ(csv("=a,\"b\""), "\"'=a,\"\"b\"\"\"");
  // Apostrophes before the formula character get one more, so that the rule
  // can be undone; apostrophes before anything else stay as they are.
  EXPECT_EQ(csv("'=x"), "''=x");
  EXPECT_EQ(csv("''-x"), "'''-x");
  EXPECT_EQ(csv("'abc"), "'abc");
  EXPECT_EQ(csv("'"), "'");
  // Only the first character counts.
  EXPECT_EQ(csv("a=b"), "a=b");
  EXPECT_EQ(csv(" =x"), " =x");
  EXPECT_EQ(csv("x-"), "x-");
}

TEST(CsvCell, EveryTextReadsBackExactly) {
  const std::vector<std::string> names = {"plain",
                                          "a,b",
                                          "q\"u",
                                          "l\nb",
                                          "=cmd|' /C calc'!A0",
                                          "'=x",
                                          "''+y",
                                          "'",
                                          "''",
                                          "'abc",
                                          "@",
                                          "-",
                                          "\r",
                                          "\t\"",
                                          ",,",
                                          "\"\"",
                                          "\xE6\x97\xA5\xE6\x9C\xAC",
                                          "=\xE6\x97\xA5",
                                          "x'=",
                                          ""};
  for (const std::string& name : names) EXPECT_EQ(read_cell(csv(name)), name) << name;
}

TEST(CsvCell, TextIsWellFormedUtf8) {
  EXPECT_EQ(csv("\xE6\x97\xA5\xE6\x9C\xAC"), "\xE6\x97\xA5\xE6\x9C\xAC");  // kept
  EXPECT_EQ(csv("a\xFF"
                "b"),
            "a\xEF\xBF\xBD"
            "b");  // a stray byte
  EXPECT_EQ(csv("a\xED\xA0\x80"
                "b"),
            "a\xEF\xBF\xBD"
            "b");  // a lone surrogate
  EXPECT_EQ(csv("a\x01"
                "b"),
            "a\xEF\xBF\xBD"
            "b");                                  // a control character
  EXPECT_EQ(csv("\xEF\xB7\x90"), "\xEF\xBF\xBD");  // a non-character
  EXPECT_EQ(csv("=\xFF,"), "\"'=\xEF\xBF\xBD,\"");
}

TEST(JsonString, EscapesWhatJsonAsks) {
  EXPECT_EQ(json("plain.txt"), "\"plain.txt\"");
  EXPECT_EQ(json(""), "\"\"");
  EXPECT_EQ(json("q\"u\\b"), "\"q\\\"u\\\\b\"");
  EXPECT_EQ(json("C:\\tree\\a,b"), "\"C:\\\\tree\\\\a,b\"");
  EXPECT_EQ(json("a\nb\rc\td\be\ff"), "\"a\\nb\\rc\\td\\be\\ff\"");
  EXPECT_EQ(json(std::string("\x01\x1F\0x", 4)), "\"\\u0001\\u001f\\u0000x\"");
  EXPECT_EQ(json("\x7F/'"), "\"\x7F/'\"");  // DEL, slash and apostrophe need nothing
}

TEST(JsonString, KeepsCharactersAndLoneSurrogatesExactly) {
  EXPECT_EQ(json("\xE6\x97\xA5\xE6\x9C\xAC"), "\"\xE6\x97\xA5\xE6\x9C\xAC\"");
  EXPECT_EQ(json("\xF0\x9F\x98\x80"), "\"\xF0\x9F\x98\x80\"");  // one character, U+1F600
  EXPECT_EQ(json("\xE2\x80\xA8"), "\"\xE2\x80\xA8\"");          // U+2028 is valid in JSON
  // A name NTFS allows, held as WTF-8: its exact UTF-16 unit.
  EXPECT_EQ(json("a\xED\xA0\x80"
                 "b"),
            "\"a\\ud800b\"");
  EXPECT_EQ(json("\xED\xBF\xBF"), "\"\\udfff\"");
  EXPECT_EQ(json("\xED\xA0\xBD\xED\xB8\x80"), "\"\\ud83d\\ude00\"");  // a pair split in two
  // Bytes that are no part of any character.
  EXPECT_EQ(json("a\xFF"
                 "b"),
            "\"a\\ufffdb\"");
  EXPECT_EQ(json("\xC3"), "\"\\ufffd\"");             // cut short
  EXPECT_EQ(json("\xC0\xAF"), "\"\\ufffd\\ufffd\"");  // overlong
}

TEST(TextWidth, CountsCharacterCellsNotBytes) {
  EXPECT_EQ(width(""), 0);
  EXPECT_EQ(width("abc"), 3);
  EXPECT_EQ(width("caf\xC3\xA9"), 4);               // é, two bytes, one cell
  EXPECT_EQ(width("cafe\xCC\x81"), 4);              // e and a combining acute accent
  EXPECT_EQ(width("\xE6\x97\xA5\xE6\x9C\xAC"), 4);  // 日本: two wide characters
  EXPECT_EQ(width("\xEF\xBC\xA1\xEF\xBC\xA2"), 4);  // ＡＢ: fullwidth
  EXPECT_EQ(width("\xED\x95\x9C"), 2);              // 한
  EXPECT_EQ(width("\xF0\x9F\x98\x80"), 2);          // 😀
  EXPECT_EQ(width("\xD0\x96\xCE\xB1"), 2);          // Жα
  EXPECT_EQ(width("a\xE2\x80\x8B"
                  "b"),
            2);                             // a zero-width space
  EXPECT_EQ(width("\xEF\xBD\xA1"), 1);      // halfwidth katakana stop: narrow
  EXPECT_EQ(width("\xF0\xA0\x80\x80"), 2);  // U+20000, beyond the first plane
  EXPECT_EQ(width("\xFF"), 1);              // a stray byte: one replacement
}

TEST(TextWidth, PaddingAlignsByCells) {
  variant line("");
  append_padded(line, variant("\xE6\x97\xA5\xE6\x9C\xAC"), 6, false);
  line.append('|');
  append_padded(line, variant("1,024"), 7, true);
  line.append('|');
  append_padded(line, variant("caf\xC3\xA9"), 5, false);
  line.append('|');
  append_padded(line, variant("too long"), 3, false);  // never cut
  EXPECT_EQ(text(line), "\xE6\x97\xA5\xE6\x9C\xAC  |  1,024|caf\xC3\xA9 |too long");
}

TEST(MachineValues, TimesAndOffsets) {
  EXPECT_EQ(text(machine_time_text(0, ' ')), "1970-01-01 00:00:00");
  EXPECT_EQ(text(machine_time_text(1718000000, ' ')), "2024-06-10 06:13:20");
  EXPECT_EQ(text(machine_time_text(1709164800 + 3661, 'T')), "2024-02-29T01:01:01");
  EXPECT_EQ(text(machine_time_text(-1, ' ')), "1969-12-31 23:59:59");
  EXPECT_EQ(text(machine_time_text(-11644473600LL, 'T')), "1601-01-01T00:00:00");
  EXPECT_EQ(text(machine_time_text(253402300799LL, 'T')), "9999-12-31T23:59:59");
  EXPECT_EQ(text(utc_offset_text(0)), "+00:00");
  EXPECT_EQ(text(utc_offset_text(7200)), "+02:00");
  EXPECT_EQ(text(utc_offset_text(-19800)), "-05:30");
  EXPECT_EQ(text(utc_offset_text(45 * 60 + 12 * 3600)), "+12:45");
}

TEST(ListingType, ByWordByExtensionAndByNumber) {
  listing_type type = listing_type::html;
  const struct {
    const char* path;
    bool known;
    listing_type type;
  } paths[] = {{"C:\\out\\list.CSV", true, listing_type::csv},
               {"list.json", true, listing_type::json},
               {"D:\\notes.txt", true, listing_type::text},
               {"page.htm", true, listing_type::html},
               {"page.Html", true, listing_type::html},
               {"C:\\dir.csv\\list", false, listing_type::html},
               {"/home/x.json/list", false, listing_type::html},
               {"list", false, listing_type::html},
               {"list.xlsx", false, listing_type::html},
               {"list.", false, listing_type::html}};
  for (const auto& p : paths) {
    type = listing_type::html;
    EXPECT_EQ(listing_type_of_path(variant(p.path), type), p.known) << p.path;
    EXPECT_EQ(type, p.type) << p.path;
  }
  EXPECT_TRUE(listing_type_of_name("TXT", type));
  EXPECT_EQ(type, listing_type::text);
  EXPECT_FALSE(listing_type_of_name("text", type));
  EXPECT_FALSE(listing_type_of_name("", type));
  for (int32_t t = 0; t < listing_type_count; ++t) {
    EXPECT_TRUE(listing_type_of_name(listing_type_name(static_cast<listing_type>(t)), type));
    EXPECT_EQ(static_cast<int32_t>(type), t);
    EXPECT_EQ(listing_type_of(t), static_cast<listing_type>(t));
  }
  EXPECT_EQ(listing_type_of(-1), listing_type::html);
  EXPECT_EQ(listing_type_of(4), listing_type::html);
}
