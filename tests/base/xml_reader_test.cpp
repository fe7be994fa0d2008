#include "base/xml_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "base/regex_binding.h"

using namespace lumadir;

namespace {

std::string str(const variant& v) {
  return std::string(v.c_str(), v.length());
}

// Each test reads real files from a folder of its own.
class XmlReader : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() / (std::string("lumadir_xml_") + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string path_of(const char* name) const { return (folder_ / name).string(); }
  std::string write(const std::string& bytes, const char* name = "doc.xml") const {
    const std::string path = path_of(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return path;
  }
  xml_load load(const std::string& bytes, xml_document& doc, std::string* error = nullptr) const {
    variant error_text("untouched");
    const xml_load result = doc.load(variant(write(bytes).c_str()), error_text);
    if (error) *error = str(error_text);
    return result;
  }

  std::filesystem::path folder_;
};

// A compact picture of a tree: start tags as <name attr=value>, open ones with a
// "!" after the name, empty elements with "/>", end tags, C comments, P
// instructions, E "<>", texts in quotes; children in brackets.
std::string dump(const xml_node* first) {
  std::string out;
  for (const xml_node* n = first; n; n = n->next) {
    if (!out.empty()) out += ' ';
    switch (n->kind) {
      case xml_start_tag:
      case xml_empty_element: {
        out += '<' + str(n->name) + (n->closed ? "" : "!");
        auto& attributes = const_cast<variant_map&>(n->attributes);
        variant key, value;
        for (attributes.start(); attributes.next(key, value);)
          out += ' ' + str(key) + '=' + str(value);
        out += n->kind == xml_empty_element ? "/>" : ">";
        break;
      }
      case xml_end_tag:
        out += "</" + str(n->name) + '>';
        break;
      case xml_comment:
        out += 'C';
        break;
      case xml_processing_instruction:
        out += 'P';
        break;
      case xml_empty_markup:
        out += 'E';
        break;
      default:
        out += '\'' + str(n->value) + '\'';
    }
    if (n->first_child) out += '[' + dump(n->first_child) + ']';
  }
  return out;
}

std::string error_at(int line, int column, const char* message) {
  return "Line: " + std::to_string(line) + ", column: " + std::to_string(column) +
         "\r\nError: " + message + "\r\n";
}

}  // namespace

TEST_F(XmlReader, EmptyFileTextAndTheOpenFailure) {
  xml_document doc;
  EXPECT_EQ(load("", doc), xml_load::loaded);
  EXPECT_EQ(doc.first(), nullptr);
  EXPECT_EQ(load("just text\r\n", doc), xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "'just text\r\n'");
  EXPECT_EQ(str(doc.first()->raw), "just text\r\n");

  variant error;
  const std::string missing = path_of("missing.xml");
  EXPECT_EQ(doc.load(variant(missing.c_str()), error), xml_load::cannot_open);
  EXPECT_EQ(str(error), "Can't open source file: " + missing);
  EXPECT_EQ(doc.first(), nullptr);  // the old tree went with the new load
}

namespace {

// read_file for the first `good_reads` reads of a load, then one failure.
struct failing_read {
  static inline int good_reads = 0;
  static inline int32_t error = 0;
  static inline int reads = 0;
  static int32_t read(file_handle file, int32_t count, variant& out) {
    if (reads++ < good_reads) return read_file(file, count, out);
    out = "";
    return error;
  }
};

// Installs the stand-in for one scope, so that a failed assertion cannot leave it
// behind for the tests that follow.
struct read_hook_scope {
  read_hook_scope(int good_reads, int32_t error) {
    failing_read::good_reads = good_reads;
    failing_read::error = error;
    failing_read::reads = 0;
    set_xml_read_hook(&failing_read::read);
  }
  ~read_hook_scope() { set_xml_read_hook(nullptr); }
};

}  // namespace

TEST_F(XmlReader, AReadErrorAnywhereFailsTheLoad) {
  // A settings file of four chunks, complete and well formed up to any cut.
  std::string bytes = "<settings>\r\n";
  for (int i = 0; bytes.size() < 3 * static_cast<size_t>(xml_chunk_size) + 100; ++i)
    bytes += "  <value" + std::to_string(i) + ">1</value" + std::to_string(i) + ">\r\n";
  bytes += "</settings>\r\n";
  const std::string path = write(bytes);
  xml_document doc;
  variant error("untouched");
  {
    read_hook_scope all_reads_succeed(100, read_failed(read_error::other));
    ASSERT_EQ(doc.load(variant(path.c_str()), error), xml_load::loaded);
    EXPECT_EQ(failing_read::reads, 5);  // four chunks and the end
    EXPECT_NE(doc.find(variant("settings/value0")), nullptr);
  }
  // Every negative result is an error, the codes to come as well.
  for (const int32_t code :
       {read_failed(read_error::end_of_file), read_failed(read_error::pending),
        read_failed(read_error::more_data), read_failed(read_error::insufficient_buffer),
        read_failed(read_error::broken_pipe), read_failed(read_error::invalid_user_buffer),
        read_failed(read_error::aborted), read_failed(read_error::other),
        read_failed(read_error::other) - 1, INT32_MIN}) {
    for (const int good_reads : {0, 1, 3}) {
      read_hook_scope cut(good_reads, code);
      error = "untouched";
      EXPECT_EQ(doc.load(variant(path.c_str()), error), xml_load::malformed)
          << "error " << code << " after " << good_reads << " chunks";
      EXPECT_EQ(str(error), "Can't read source file: " + path);
      EXPECT_EQ(doc.first(), nullptr);  // nothing of the part that was read
    }
  }
  // Running out of memory keeps its own message.
  read_hook_scope no_memory(2, read_failed(read_error::not_enough_memory));
  EXPECT_EQ(doc.load(variant(path.c_str()), error), xml_load::malformed);
  EXPECT_EQ(str(error), error_at(1, 0, "unknown error."));
  EXPECT_EQ(doc.first(), nullptr);
}

TEST_F(XmlReader, AFolderIsNoDocument) {
  // Windows refuses to open a folder as a file; a POSIX system opens it, and the
  // first read fails.
  const std::string path = path_of("folder.xml");
  std::filesystem::create_directory(path);
  xml_document doc;
  variant error;
  EXPECT_NE(doc.load(variant(path.c_str()), error), xml_load::loaded);
  EXPECT_EQ(str(error).rfind("Can't ", 0), 0u) << str(error);
}

TEST_F(XmlReader, NamesAttributesAndValues) {
  xml_document doc;
  ASSERT_EQ(load("<Root A=\"1\" b='two' C=3 d x=1/ y=a\"q\" z e='&lt;&#65;'></ROOT \t>", doc),
            xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "<root a=1 b=two c=3 d= e=<A x=1/ y=q z=/>");
  EXPECT_EQ(str(doc.first()->raw), "<Root A=\"1\" b='two' C=3 d x=1/ y=a\"q\" z e='&lt;&#65;'>");

  // A later attribute replaces an earlier one; a quoted stretch with no "=" is skipped
  // whole; an unquoted value runs to white space, a "/" included.
  ASSERT_EQ(load("<e k=1 \"junk k=2\" K=3 v=1/>", doc), xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "<e k=3 v=1//>");

  // A ">" inside quotes still ends the tag: the rest becomes text.
  ASSERT_EQ(load("<a t=\"x>y\">z</a>", doc), xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "<a t=x>['y\">z' </a>]");
}

TEST_F(XmlReader, ManyAttributesStayFastAndTheLastOfANameWins) {
  // Names in ascending order would turn a plain search tree into a chain.
  std::string tag = "<t";
  for (int i = 0; i < 100000; ++i)
    tag += " a" + std::to_string(1000000 + i) + "=" + std::to_string(i);
  tag += " a1000005=last a1000005=final />";
  xml_document doc;
  ASSERT_EQ(load(tag, doc), xml_load::loaded);
  const variant_map& attributes = doc.first()->attributes;
  EXPECT_EQ(attributes.count(), 100000);
  variant value;
  EXPECT_TRUE(attributes.get(variant("a1000005"), value));
  EXPECT_EQ(str(value), "final");
  EXPECT_TRUE(attributes.get(variant("a1099999"), value));
  EXPECT_EQ(str(value), "99999");
}

TEST_F(XmlReader, EndTagsCloseEmptyOrContentElements) {
  xml_document doc;
  ASSERT_EQ(load("<a></a><b>t</b><c><d/></c><p><q></q></p>", doc), xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "<a/> <b>['t' </b>] <c>[<d/> </c>] <p>[<q/> </p>]");
  EXPECT_EQ(doc.first()->first_child, nullptr);

  // An element left open directly inside one whose end tag comes is passed over;
  // the load goes on to the end and then fails.
  std::string error;
  EXPECT_EQ(load("<a><b></a>tail", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(1, 14, "unclosed tag."));
  EXPECT_EQ(dump(doc.first()), "<a>[<b!> </a>] 'tail'");

  EXPECT_EQ(load("</a>", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(1, 4, "misplaced end tag."));
  // Lines count line feeds; a carriage return is one more column.
  EXPECT_EQ(load("<a>\r\n x\r\n\r\n  </b>rest", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(4, 6, "misplaced end tag."));
  EXPECT_EQ(load("<a>\r\r</b>", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(1, 9, "misplaced end tag."));
  EXPECT_EQ(load("<a><b>x</a>", doc, &error), xml_load::malformed);  // b is open and has content
  EXPECT_EQ(load("<a/></a>", doc, &error), xml_load::malformed);
  EXPECT_EQ(load("<a>\n<b>", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(2, 3, "unclosed tag."));
}

TEST_F(XmlReader, CommentsInstructionsCdataAndThingsThatAreText) {
  xml_document doc;
  ASSERT_EQ(load("<?xml v=\"?>\" w='\\'?>'?><!-- a > b --><![CDATA[<b>&amp;</b>]]><>"
                 "<!DOCTYPE x>a < b <1 c<%d%><#e>",
                 doc),
            xml_load::loaded);
  EXPECT_EQ(dump(doc.first()),
            "P C '<b>&amp;</b>' E '<!DOCTYPE x>a ' '< b ' '<1 c' '<%d%>' '<#e>'");
  EXPECT_EQ(str(doc.first()->raw), "<?xml v=\"?>\" w='\\'?>'?>");
  EXPECT_EQ(str(doc.first()->next->next->raw), "<![CDATA[<b>&amp;</b>]]>");

  // A "<" that never became a construct is text; a construct cut off is an error.
  ASSERT_EQ(load("<r/><!-", doc), xml_load::loaded);
  EXPECT_EQ(dump(doc.first()), "<r/> '<!-'");
  std::string error;
  EXPECT_EQ(load("<r/><!-- no end", doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(1, 15, "unclosed tag."));
  EXPECT_EQ(load("<r/><r", doc), xml_load::malformed);
}

TEST_F(XmlReader, ReferencesDecodeInTextsAndValuesButNotCdata) {
  xml_document doc;
  ASSERT_EQ(load("<a v='&quot;&#x41;&#256;'>&lt;&#65;&bogus;&AMP;&#38;lt;&#0065;&#x100;"
                 "&#xff;&#a;& x;&#;&a\\b;<![CDATA[&lt;]]></a>",
                 doc),
            xml_load::loaded);
  EXPECT_EQ(dump(doc.first()),
            std::string("<a v=\"A!>['<A!!<!!\xC3\xBF") + '\0' + "& x;&#;!' '&lt;' </a>]");
}

// The decoder must agree with the pattern-based expansion it stands in for.
TEST(XmlReferences, AgreeWithThePatternExpansion) {
  ASSERT_TRUE(load_regex_library());
  variant_map entities;
  for (const char* e : {"amp&", "lt<", "gt>", "quot\"", "apos'"})
    entities.put(variant(e, static_cast<int32_t>(std::strlen(e)) - 1),
                 variant(e + std::strlen(e) - 1));
  std::mt19937 random(7);
  const std::string alphabet = "&&&#;;xX0125aflmptquoAF:_.- <\\]";
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    variant expected(text.c_str());
    expand_character_references(expected);
    expand_entity_references(expected, entities, false);
    variant decoded(text.c_str());
    decode_xml_references(decoded);
    // A reference to byte 0 ends the text for the pattern library, not for the decoder.
    if (str(expected).find('\0') != std::string::npos) continue;
    ASSERT_EQ(str(decoded), str(expected)) << text;
  }
  unload_regex_library();
}

TEST_F(XmlReader, FindElementTextAndDocumentOrder) {
  xml_document doc;
  ASSERT_EQ(load("<a><x/><b>one</b><b>two</b><c> <d/></c><e><![CDATA[cd]]></e></a><b>top</b>", doc),
            xml_load::loaded);
  variant out("stale");
  xml_node* a = doc.find(variant("a"));
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(doc.element_text(variant("a/b"), nullptr, out));
  EXPECT_EQ(str(out), "one");
  EXPECT_TRUE(doc.element_text(variant("b"), a, out));
  EXPECT_EQ(str(out), "one");
  EXPECT_TRUE(doc.element_text(variant("/b"), a, out));  // a leading "/" starts at the top
  EXPECT_EQ(str(out), "top");
  EXPECT_TRUE(doc.element_text(variant("//a///c/"), nullptr, out));
  EXPECT_EQ(str(out), " ");  // the white space before the child element
  EXPECT_TRUE(doc.element_text(variant("a/e"), nullptr, out));
  EXPECT_EQ(str(out), "cd");
  EXPECT_TRUE(doc.element_text(variant("a/x"), nullptr, out));
  EXPECT_EQ(str(out), "");
  out = "stale";
  EXPECT_FALSE(doc.element_text(variant("A/B"), nullptr, out));  // stored names are lower case
  EXPECT_EQ(str(out), "");
  EXPECT_EQ(doc.find(variant(""), a), a);
  EXPECT_EQ(doc.find(variant("a/b/nothing")), nullptr);

  std::string order;
  for (const xml_node* n = doc.first(); n; n = xml_next(n))
    order +=
        n->kind == xml_text ? str(n->value) : (n->kind == xml_end_tag ? "/" : "") + str(n->name);
  EXPECT_EQ(order, "axbone/bbtwo/bc d/cecd/e/abtop/b");
}

TEST_F(XmlReader, SixteenMebibytesLoadAndOneByteMoreDoesNot) {
  // 64-byte lines; constructs across the 16384-byte chunk borders.
  std::string line(63, ' ');
  line += '\n';
  const size_t limit = static_cast<size_t>(xml_size_limit);
  std::string body = "<r>";
  body.reserve(limit + 1);
  for (size_t border = 16384; border < limit; border += 16384) {
    while (body.size() + 64 <= border - 10) body += line;
    body.append(border - 10 - body.size(), ' ');
    body += "<e k='&amp;'/><![CDATA[x]]>";
  }
  while (body.size() + 64 <= limit - 4) body += line;
  body.resize(limit - 4, ' ');
  body += "</r>";
  ASSERT_EQ(body.size(), static_cast<size_t>(xml_size_limit));
  xml_document doc;
  std::string error;
  ASSERT_EQ(load(body, doc, &error), xml_load::loaded) << error;
  int elements = 0;
  for (const xml_node* n = doc.first(); n; n = xml_next(n)) {
    if (n->kind == xml_empty_element) {
      ++elements;
      ASSERT_EQ(str(n->raw), "<e k='&amp;'/>");
    }
  }
  EXPECT_EQ(elements, 1023);

  std::string lines;
  for (int i = 0; i < xml_size_limit / 64; ++i) lines += line;
  lines += ' ';
  EXPECT_EQ(load(lines, doc, &error), xml_load::malformed);
  EXPECT_EQ(error, error_at(xml_size_limit / 64 + 1, 0, "size exceeded."));
}

TEST_F(XmlReader, AMillionNestedElementsNeedNoDeepStack) {
  const int depth = 1000000;
  std::string body;
  for (int i = 0; i < depth; ++i) body += "<a>";
  for (int i = 0; i < depth; ++i) body += "</a>";
  auto doc = std::make_unique<xml_document>();
  ASSERT_EQ(load(body, *doc), xml_load::loaded);
  int levels = 0;
  for (const xml_node* n = doc->first(); n; n = n->first_child) {
    ++levels;
    ASSERT_TRUE(n->closed);
  }
  EXPECT_EQ(levels, depth);
  doc.reset();  // frees without recursion
}

TEST(XmlByteSource, CountsLinesAndColumnsAcrossChunks) {
  xml_byte_source source;
  char c;
  EXPECT_EQ(source.read(c), xml_byte_source::need_more);
  source.push(variant("a\r\n"));
  source.push(variant(""));
  source.push(variant("b\n"));
  EXPECT_EQ(source.total(), 5);
  std::string seen;
  while (source.read(c) == xml_byte_source::byte_read) seen += c;
  EXPECT_EQ(seen, "a\r\nb\n");
  EXPECT_EQ(source.line(), 3);
  EXPECT_EQ(source.column(), 0);
  source.push(variant("xy"));
  variant byte;
  ASSERT_TRUE(source.pop(byte));  // the source's pop reads
  EXPECT_EQ(str(byte), "x");
  EXPECT_EQ(source.count(), 4);  // chunks stay
  EXPECT_EQ(source.read(c), xml_byte_source::byte_read);
  EXPECT_EQ(source.column(), 2);
  EXPECT_EQ(source.read(c), xml_byte_source::need_more);
  source.mark_ended();
  EXPECT_EQ(source.read(c), xml_byte_source::ended);
}

TEST(XmlWriteElement, EscapesTheValue) {
  variant_list sink;
  ASSERT_TRUE(write_xml_element(variant("k"), variant("a<\"&>\xC3\xA9"), sink));
  ASSERT_TRUE(write_xml_element(variant("n"), variant(42), sink));
  EXPECT_EQ(str(sink.join(variant(""))), "<k>a&lt;&quot;&amp;&gt;\xC3\xA9</k>\r\n<n>42</n>\r\n");
}
