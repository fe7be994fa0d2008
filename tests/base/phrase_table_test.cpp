#include "base/phrase_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/message_box.h"

using namespace lumadir;

namespace {

std::string str(const variant& v) {
  return std::string(v.c_str(), v.length());
}

std::vector<std::string> names(const variant_list& list) {
  std::vector<std::string> out;
  for (auto* n = list.first(); n; n = n->next) out.push_back(str(n->value));
  return out;
}

// Boxes shown while a test runs: the phrase table itself shows none.
int boxes_shown = 0;
void count_box(void*, const char*, const char*, uint32_t) {
  ++boxes_shown;
}

class PhraseTable : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        std::filesystem::temp_directory_path() / (std::string("lumadir_phrase_") + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    boxes_shown = 0;
    set_message_box_hook(count_box);
  }
  void TearDown() override {
    set_message_box_hook(nullptr);
    std::filesystem::remove_all(folder_);
  }

  std::string path_of(const char* name) const { return (folder_ / name).string(); }
  std::string write(const std::string& bytes) const {
    const std::string path = path_of("lang.xml");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return path;
  }
  std::string read(const std::string& path) const {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
      std::fclose(f);
    }
    return bytes;
  }
  phrase_load load(phrase_table& table, const std::string& bytes,
                   std::string* error = nullptr) const {
    variant error_text("");
    const phrase_load result = table.load(variant(write(bytes).c_str()), error_text);
    if (error) *error = str(error_text);
    return result;
  }
  // The message describe_load_error gives for loading `bytes`.
  std::string load_error(const std::string& bytes) const {
    phrase_table table;
    variant error_text("");
    const phrase_load code = table.load(variant(write(bytes).c_str()), error_text);
    EXPECT_NE(code, phrase_load::loaded);
    describe_load_error(code, error_text);
    return str(error_text);
  }

  std::filesystem::path folder_;
};

}  // namespace

TEST_F(PhraseTable, SlotsAndLookupsOfOneLanguage) {
  phrase_table table;
  EXPECT_EQ(table.phrase(0), nullptr);  // an empty table
  EXPECT_STREQ(table.phrase_text(0), "");
  ASSERT_EQ(
      load(table,
           "<?xml version='1.0'?><LANGS><Lang Short=\"en\" FULL=\"English\">"
           "<_0>zero</_0><group><_1>one &amp; <b/></_1></group><_2/><_3></_3><_4><b>x</b></_4>"
           "<_5>\r\n  two lines\r\n</_5><_6><![CDATA[<b>&amp;</b>]]></_6></lang></langs>"),
      phrase_load::loaded);
  EXPECT_EQ(table.language_count(), 1);
  EXPECT_EQ(table.slot_count(), 7);  // the empty _2 and _3 take no part
  EXPECT_STREQ(table.phrase(0), "zero");
  EXPECT_STREQ(table.phrase(1), "one & ");
  for (int id : {-1, 2, 3, 4, 7, 100}) EXPECT_EQ(table.phrase(id), nullptr) << id;
  variant text("x");
  text.append(table.phrase(2));  // none appends nothing...
  EXPECT_EQ(str(text), "x");
  text = table.phrase(2);  // ...and assigns the empty text
  EXPECT_EQ(str(text), "");
  EXPECT_STREQ(table.phrase(5), "\r\n  two lines\r\n");
  EXPECT_STREQ(table.phrase(6), "<b>&amp;</b>");
  EXPECT_EQ(names(table.short_names()), std::vector<std::string>{"en"});
  EXPECT_EQ(names(table.full_names()), std::vector<std::string>{"English"});
  table.destroy();
  EXPECT_EQ(table.phrase(0), nullptr);
  EXPECT_EQ(table.short_names().count(), 0);
}

TEST_F(PhraseTable, LanguagesDefineTheirOwnIds) {
  std::string file = "<langs><lang short='a' full='A'>";
  for (int id = 0; id <= 3; ++id)
    file +=
        "<_" + std::to_string(id) + ">a" + std::to_string(id) + "</_" + std::to_string(id) + ">";
  file += "</lang><lang/><lang short='b' full='B'>";
  for (int id = 0; id <= 9; ++id)
    file +=
        "<_" + std::to_string(id) + ">b" + std::to_string(id) + "</_" + std::to_string(id) + ">";
  file += "<_2000000000>far</_2000000000></lang></langs>";
  phrase_table table;
  ASSERT_EQ(load(table, file), phrase_load::loaded);
  EXPECT_EQ(table.language_count(), 2);  // the empty <lang/> does not count
  EXPECT_EQ(table.slot_count(), 2000000001);
  EXPECT_EQ(table.phrase(7), nullptr);
  EXPECT_STREQ(table.phrase(3), "a3");
  table.select_language(1);
  EXPECT_STREQ(table.phrase(7), "b7");
  EXPECT_STREQ(table.phrase(2000000000), "far");
  EXPECT_EQ(table.phrase(1999999999), nullptr);
  table.select_language(2);  // out of range: ignored
  table.select_language(-1);
  EXPECT_EQ(table.current_language(), 1);

  ASSERT_EQ(
      load(table, "<x><langs/><langs><lang short='s' full='f'><_0>deep</_0></lang></langs></x>"),
      phrase_load::loaded);
  EXPECT_EQ(table.current_language(), 0);  // a new load starts with the first language
  EXPECT_STREQ(table.phrase(0), "deep");
  ASSERT_EQ(load(table, "<settings><a>1</a></settings>"), phrase_load::loaded);
  EXPECT_EQ(table.language_count(), 0);
  EXPECT_EQ(table.phrase(0), nullptr);
}

TEST_F(PhraseTable, LoadErrorsAndTheirMessages) {
  const char* head = "<langs><lang short='s' full='f'>";
  EXPECT_EQ(load_error(std::string(head) + "<_3>a</_3><_3>b</_3></lang></langs>"),
            "Phrase ID is wrong");
  EXPECT_EQ(load_error(std::string(head) + "<_3>a</_3><_2>b</_2></lang></langs>"),
            "Phrase ID is wrong");
  EXPECT_EQ(load_error(std::string(head) + "<_2147483647>a</_2147483647></lang></langs>"),
            "Phrase ID is wrong");  // too large to number a slot
  phrase_table table;
  EXPECT_EQ(load(table, std::string(head) +
                            "<_3>a</_3></lang><lang short='t' full='g'><_0>b</_0></lang></langs>"),
            phrase_load::loaded);
  EXPECT_EQ(load_error("<langs><lang full='f'><_0>a</_0></lang></langs>"),
            "No short language description");
  EXPECT_EQ(load_error("<langs><lang short='s'><_0>a</_0></lang></langs>"),
            "No full language description");
  EXPECT_EQ(load_error("<langs><lang short='s' full='f'/><x>y</x></langs>"), "No languages found");
  EXPECT_EQ(load_error(std::string(head) + "<_0/><p>q</p></lang></langs>"), "No phrases found");
  EXPECT_EQ(load_error("<langs>\r\n</lang></langs>"),
            "Lang file error: Line: 2, column: 7\r\nError: misplaced end tag.\r\n");

  variant error_text("");
  const std::string missing = path_of("missing.xml");
  EXPECT_EQ(table.load(variant(missing.c_str()), error_text), phrase_load::cannot_open);
  describe_load_error(phrase_load::cannot_open, error_text);
  EXPECT_EQ(str(error_text), "Can't find language file Can't open source file: " + missing);
  error_text = "";
  describe_load_error(static_cast<phrase_load>(7), error_text);
  EXPECT_EQ(str(error_text), "Unknown lang error");
  EXPECT_EQ(boxes_shown, 0);  // the words only: start-up shows them
}

TEST_F(PhraseTable, WritePutsTheCurrentLanguageFirstAndReadsBackTheSame) {
  phrase_table table;
  ASSERT_EQ(load(table,
                 "<langs><lang short='en' full='English "
                 "&quot;UK&quot;'><_0>Hello</_0><_2>a&lt;b</_2></lang>"
                 "<lang short='fr' full='Fran&#231;ais'><_1>d&#233;j&#xe0; &lt;vu&gt; &amp;co'</_1>"
                 "<_3>\r\n\t</_3></lang></langs>"),
            phrase_load::loaded);
  table.select_language(1);
  const std::string path = path_of("out.xml");
  EXPECT_EQ(table.write(variant(path.c_str())), phrase_write::written);
  EXPECT_EQ(read(path),
            "<langs><lang short=\"fr\" full=\"Fran\xC3\xA7"
            "ais\">"
            "<_1>d\xC3\xA9j\xC3\xA0 &lt;vu&gt; &amp;co'</_1>\r\n<_3>\r\n\t</_3>\r\n</lang>"
            "<lang short=\"en\" full=\"English &quot;UK&quot;\"><_0>Hello</_0>\r\n"
            "<_2>a&lt;b</_2>\r\n</lang></langs>");

  phrase_table again;
  variant error_text("");
  ASSERT_EQ(again.load(variant(path.c_str()), error_text), phrase_load::loaded);
  EXPECT_EQ(names(again.short_names()), (std::vector<std::string>{"fr", "en"}));
  EXPECT_EQ(names(again.full_names()), (std::vector<std::string>{"Fran\xC3\xA7"
                                                                 "ais",
                                                                 "English \"UK\""}));
  EXPECT_STREQ(again.phrase(1), "d\xC3\xA9j\xC3\xA0 <vu> &co'");
  EXPECT_STREQ(again.phrase(3), "\r\n\t");
  again.select_language(1);
  EXPECT_STREQ(again.phrase(2), "a<b");

  // Every printable ASCII character and characters of every UTF-8 length
  // survive the trip; the file is UTF-8.
  std::string all = "\t\r\n";
  for (int b = 32; b < 127; ++b) all += static_cast<char>(b);
  all += "\xC2\xA0\xC3\xA9\xD0\x96\xE6\x97\xA5\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBD";
  variant escaped(all.c_str());
  escaped.escape_html();
  ASSERT_EQ(load(table, "<langs><lang short='x' full='y'><_0>" + std::string(escaped.c_str()) +
                            "</_0></lang></langs>"),
            phrase_load::loaded);
  EXPECT_EQ(table.write(variant(path.c_str())), phrase_write::written);
  ASSERT_EQ(again.load(variant(path.c_str()), error_text), phrase_load::loaded);
  EXPECT_EQ(std::string(again.phrase(0)), all);
  EXPECT_NE(read(path).find("\xE6\x97\xA5"), std::string::npos);

  EXPECT_EQ(table.write(variant(path_of("no/such/folder.xml").c_str())),
            phrase_write::cannot_create);
#ifndef _WIN32
  EXPECT_EQ(table.write(variant("/dev/full")), phrase_write::write_short);
#endif
}
