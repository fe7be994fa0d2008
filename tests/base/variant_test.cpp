#include "base/variant.h"

#include <gtest/gtest.h>

#include <string>

using lumadir::byte_text;
using lumadir::variant;
using lumadir::variant_kind;

namespace {

std::string str(const variant& v) {
  return std::string(v.text().data() ? v.text().data() : "", v.length());
}

variant real(double d) {
  variant v;
  v = d;
  return v;
}

}  // namespace

TEST(ByteText, GrowsByASixteenthPlusFour) {
  byte_text t;
  EXPECT_EQ(t.capacity(), 0);
  EXPECT_EQ(t.data(), nullptr);
  t.push_back('a');
  EXPECT_EQ(t.capacity(), 4);
  for (char c : std::string("bcd")) t.push_back(c);
  EXPECT_EQ(t.capacity(), 4);
  t.push_back('e');  // length 4 reached capacity 4: 4 + 0 + 4
  EXPECT_EQ(t.capacity(), 8);
  t.set_length(100);
  EXPECT_EQ(t.capacity(), 100 + 6 + 4);
  t.set_length(50);  // shrinking keeps the block
  EXPECT_EQ(t.capacity(), 110);
  EXPECT_EQ(t.length(), 50);
  t.set_length(-3);
  EXPECT_EQ(t.length(), 50);
  t.reset(32);
  EXPECT_EQ(t.capacity(), 32 + 2 + 4);
  EXPECT_EQ(t.length(), 32);
  t.reset(0);
  EXPECT_EQ(t.capacity(), 0);
  EXPECT_EQ(t.data(), nullptr);
}

TEST(ByteText, TerminatedViewKeepsLengthAndBytes) {
  byte_text t;
  EXPECT_STREQ(t.c_str(), "");
  EXPECT_EQ(t.length(), 0);
  t.assign("abcd", 4);  // capacity 4 + 0 + 4 = 8
  EXPECT_STREQ(t.c_str(), "abcd");
  EXPECT_EQ(t.length(), 4);
  byte_text full;
  full.push_back('x');
  full.push_back('y');
  full.push_back('z');
  full.push_back('w');  // length 4 == capacity 4: the terminator must grow it
  EXPECT_EQ(full.capacity(), 4);
  EXPECT_STREQ(full.c_str(), "xyzw");
  EXPECT_EQ(full.length(), 4);
  EXPECT_EQ(full.capacity(), 8);
}

TEST(ByteText, MoveHandsTheBlockOver) {
  byte_text a;
  a.assign("hello", 5);
  const char* block = a.data();
  byte_text b(static_cast<byte_text&&>(a));
  EXPECT_EQ(b.data(), block);
  EXPECT_EQ(a.data(), nullptr);
  EXPECT_EQ(a.length(), 0);
  EXPECT_EQ(a.capacity(), 0);
  byte_text c;
  c = static_cast<byte_text&&>(b);
  EXPECT_EQ(c.data(), block);
  EXPECT_EQ(b.capacity(), 0);
}

TEST(ByteText, AppendFromItselfSurvivesGrowth) {
  byte_text t;
  t.assign("abcdef", 6);
  for (int i = 0; i < 6; ++i) t.append(t.data(), t.length());
  EXPECT_EQ(t.length(), 6 * 64);
  EXPECT_EQ(std::string(t.data(), 6), "abcdef");
  EXPECT_EQ(std::string(t.data() + 6 * 63, 6), "abcdef");
}

TEST(ByteText, GrowthStopsAtTheLargestBlockWithoutOverflow) {
  constexpr int32_t limit = byte_text::max_capacity;
  EXPECT_EQ(byte_text::grown_capacity(0), 4);
  EXPECT_EQ(byte_text::grown_capacity(1600), 1600 + 100 + 4);
  // Near the limit the rule's extra sixteenth no longer fits: the capacity is the
  // limit itself, still room for every length up to it.
  for (int32_t n : {limit / 17 * 16 - 4, limit / 17 * 16 + 4, limit - 100, limit - 1, limit}) {
    const int32_t capacity = byte_text::grown_capacity(n);
    EXPECT_GE(capacity, n) << n;
    EXPECT_LE(capacity, limit) << n;
  }
  EXPECT_EQ(byte_text::grown_capacity(limit - 1), limit);
  // Taken literally, the rule passes 2^31 - 1 from 2,021,161,077 on.
  for (int32_t n : {limit + 1, 2021161076, 2021161077, INT32_MAX - 1, INT32_MAX})
    EXPECT_LT(byte_text::grown_capacity(n), 0) << n;
}

TEST(ByteText, LengthsPastTheLimitAreRefusedLikeAFailedAllocation) {
  for (int32_t n : {byte_text::max_capacity + 1, 2021161077, INT32_MAX}) {
    byte_text t;
    t.assign("abc", 3);
    t.set_length(n);
    EXPECT_EQ(t.length(), 0) << n;
    EXPECT_EQ(t.capacity(), 0) << n;
    EXPECT_EQ(t.data(), nullptr) << n;
    t.append("xy", 2);  // still usable afterwards
    EXPECT_EQ(std::string(t.data(), t.length()), "xy");
    t.reset(n);
    EXPECT_EQ(t.length(), 0) << n;
    EXPECT_EQ(t.data(), nullptr) << n;
    variant v("abc");
    v.set_length(n);
    EXPECT_EQ(v.length(), 0) << n;
    EXPECT_STREQ(v.c_str(), "");
  }
  byte_text t;
  t.assign("abc", 3);
  t.append("z", INT32_MAX - 1);  // the sum itself would pass 2^31 - 1
  EXPECT_EQ(t.length(), 0);
  EXPECT_EQ(t.data(), nullptr);
}

TEST(Variant, NewIsIntegerZero) {
  variant v;
  EXPECT_EQ(v.kind(), variant_kind::integer);
  EXPECT_STREQ(v.c_str(), "0");
  EXPECT_EQ(v.kind(), variant_kind::integer);  // the text form does not change the kind
  EXPECT_EQ(variant('x').kind(), variant_kind::text);
  EXPECT_EQ(str(variant('x')), "x");
  variant missing;
  missing = static_cast<const char*>(nullptr);
  EXPECT_EQ(missing.kind(), variant_kind::text);
  EXPECT_EQ(missing.length(), 0);
}

TEST(Variant, RealTextAtTheFormatBoundaries) {
  EXPECT_EQ(str(real(2.5)), "2.5");
  EXPECT_EQ(str(real(3.0)), "3");
  EXPECT_EQ(str(real(-0.25)), "-0.25");
  EXPECT_EQ(str(real(123456.7891)), "123456.789");
  EXPECT_EQ(str(real(100000)), "100000");  // not above: eight decimals, stripped
  EXPECT_EQ(str(real(100000.5)), "100000.5");
  EXPECT_EQ(str(real(100000.0001)), "100000");  // three decimals lose the 0001
  EXPECT_EQ(str(real(99999.00000001)), "99999.00000001");
  EXPECT_EQ(str(real(1e-11)), "0");
  EXPECT_EQ(str(real(-1e-11)), "0");
  EXPECT_EQ(str(real(1e-10)), "0");  // kept by the range test, but %.8f rounds it away
  EXPECT_EQ(str(real(1e18)), "1000000000000000000");
  EXPECT_EQ(str(real(2e18)), "0");
  EXPECT_EQ(str(real(-2e18)), "0");
  EXPECT_EQ(str(real(-7)), "-7");
  EXPECT_EQ(str(real(0.0)), "0");
  EXPECT_EQ(str(real(10)), "10");  // zeros before the point survive
}

TEST(Variant, TextFormsOfOtherKinds) {
  variant v;
  v = true;
  EXPECT_STREQ(v.c_str(), "1");
  EXPECT_EQ(v.first_byte(), '1');
  v = false;
  EXPECT_EQ(v.first_byte(), '0');
  v = -42;
  EXPECT_STREQ(v.c_str(), "-42");
  EXPECT_EQ(v.first_byte(), '-');
  int target = 0;
  v.set_pointer(reinterpret_cast<void*>(static_cast<uintptr_t>(0xBEEF0)));
  EXPECT_STREQ(v.c_str(), "0xbeef0");
  v.set_pointer(&target);
  EXPECT_EQ(v.as_pointer(), &target);
  EXPECT_EQ(variant("").first_byte(), '\0');
}

TEST(Variant, SixtyFourBitIntegersAreTexts) {
  variant v = variant::of_int64(3000000000LL);
  EXPECT_EQ(v.kind(), variant_kind::text);
  EXPECT_EQ(str(v), "3000000000");
  EXPECT_EQ(str(variant::of_int64(-9000000000LL)), "-9000000000");
}

TEST(Variant, ConversionTable) {
  variant t("  -12abc");
  EXPECT_EQ(t.as_int(), -12);
  EXPECT_TRUE(t.as_bool());
  EXPECT_EQ(t.kind(), variant_kind::text);  // reading does not convert
  t.convert_to(11);
  EXPECT_EQ(t.kind(), variant_kind::integer);
  EXPECT_EQ(t.as_int(), -12);

  EXPECT_EQ(variant("+7").as_int(), 7);
  EXPECT_EQ(variant("x7").as_int(), 0);
  EXPECT_EQ(variant("").as_int(), 0);
  EXPECT_FALSE(variant("0").as_bool());
  EXPECT_EQ(variant("4294967297").as_int(), 1);  // overflow is not checked: it wraps

  variant r("2.75e1");
  r.convert_to(23);
  EXPECT_EQ(r.kind(), variant_kind::real);
  EXPECT_DOUBLE_EQ(r.as_real(), 27.5);
  r.convert_to(11);
  EXPECT_EQ(r.as_int(), 27);  // toward zero
  variant neg;
  neg = -27.9;
  neg.convert_to(11);
  EXPECT_EQ(neg.as_int(), -27);
  variant huge;
  huge = 1e12;
  EXPECT_EQ(huge.as_int(), INT32_MAX);  // kept in range rather than undefined

  variant b;
  b = true;
  b.convert_to(2);
  EXPECT_EQ(b.kind(), variant_kind::text);
  EXPECT_EQ(str(b), "1");
  variant i(5);
  i.convert_to(5);
  EXPECT_EQ(i.kind(), variant_kind::boolean);
  EXPECT_TRUE(i.as_bool());
  i.convert_to(23);
  EXPECT_DOUBLE_EQ(i.as_real(), 1.0);

  variant p;
  p.set_pointer(reinterpret_cast<void*>(static_cast<uintptr_t>(0x10)));
  p.convert_to(11);
  EXPECT_EQ(p.as_int(), 16);

  variant unchanged(9);
  unchanged.convert_to(101);  // pointer is not a target
  unchanged.convert_to(3);
  EXPECT_EQ(unchanged.kind(), variant_kind::integer);
  EXPECT_EQ(unchanged.as_int(), 9);
}

TEST(Variant, CompareBytesUnsignedWithEmptyTexts) {
  EXPECT_LT(variant::compare(variant(""), variant("a")), 0);
  EXPECT_GT(variant::compare(variant("a"), variant("")), 0);
  EXPECT_EQ(variant::compare(variant(""), variant("")), 0);
  EXPECT_GT(variant::compare(variant("ab"), variant("a")), 0);
  EXPECT_LT(variant::compare(variant("B"), variant("a")), 0);
  EXPECT_GT(variant::compare_ignoring_case(variant("B"), variant("a")), 0);
  EXPECT_EQ(variant::compare_ignoring_case(variant("MiXeD"), variant("mixed")), 0);
  EXPECT_GT(variant::compare(variant("\xE9"), variant("z")), 0);  // unsigned bytes
  // Whole characters fold: É and é, Σ and σ; a stray byte only matches itself.
  EXPECT_EQ(
      variant::compare_ignoring_case(variant("\xC3\x89t\xC3\xA9"), variant("\xC3\xA9T\xC3\x89")),
      0);
  EXPECT_EQ(variant::compare_ignoring_case(variant("\xCE\xA3"), variant("\xCF\x83")), 0);
  EXPECT_NE(variant::compare_ignoring_case(variant("\xC9"), variant("\xE9")), 0);
  EXPECT_LT(variant::compare_ignoring_case(variant("z"), variant("\xC3\xA9")), 0);  // by code point
  // "_" sorts after the letters only once they are folded up.
  EXPECT_GT(variant::compare_ignoring_case(variant("_"), variant("z")), 0);
  EXPECT_EQ(variant::compare(variant(12), variant("12")), 0);  // text forms compared
}

TEST(Variant, FindAndFindLastBounds) {
  const variant banana("banana");
  EXPECT_EQ(banana.find(variant("a"), 2), 3);
  EXPECT_EQ(banana.find(variant("na"), 0), 2);
  EXPECT_EQ(banana.find(variant("na"), 3), 4);
  EXPECT_EQ(banana.find_last(variant("na")), 4);
  EXPECT_EQ(banana.find_last(variant("b")), 0);
  EXPECT_EQ(banana.find(variant("a"), 6), -1);
  EXPECT_EQ(banana.find(variant("na"), 6), -1);
  EXPECT_EQ(banana.find(variant("a"), -1), -1);
  EXPECT_EQ(banana.find(variant(""), 0), -1);
  EXPECT_EQ(banana.find_last(variant("")), -1);
  EXPECT_EQ(banana.find(variant("ana"), 4), -1);  // would run past the end
  EXPECT_EQ(banana.find(variant("bananas"), 0), -1);
  EXPECT_EQ(banana.find_last(variant("bananas")), -1);
  EXPECT_EQ(banana.find(variant("nab"), 0), -1);  // first byte matches, last does not
  EXPECT_EQ(variant("aXa").find(variant("a"), 1), 2);
  EXPECT_EQ(variant(12345).find(variant(34), 0), 2);
}

TEST(Variant, ReplaceAllLongerShorterAndOneByte) {
  variant v("a.b.c");
  v.replace_all(variant("."), variant("::"));
  EXPECT_EQ(str(v), "a::b::c");
  v.replace_all(variant("::"), variant(""));
  EXPECT_EQ(str(v), "abc");
  v = "a/b/c/";
  v.replace_all(variant("/"), variant("\\"));
  EXPECT_EQ(str(v), "a\\b\\c\\");
  v = "aaaa";
  v.replace_all(variant("aa"), variant("b"));  // non-overlapping, left to right
  EXPECT_EQ(str(v), "bb");
  v = "aaa";
  v.replace_all(variant("aa"), variant("xyz"));
  EXPECT_EQ(str(v), "xyza");
  v = "unchanged";
  v.replace_all(variant(""), variant("x"));
  EXPECT_EQ(str(v), "unchanged");
  v = "abab";
  v.replace_all(variant("ab"), variant(""));
  EXPECT_EQ(v.length(), 0);
  v = "x";
  v.replace_all(v, variant("yy"));  // the pattern may be the subject itself
  EXPECT_EQ(str(v), "yy");
  variant n(1001);
  n.replace_all(variant("0"), variant("7"));
  EXPECT_EQ(n.kind(), variant_kind::text);
  EXPECT_EQ(str(n), "1771");
}

TEST(Variant, TrimQuoteAndEscape) {
  variant v(" \t\r\n a b \n");
  v.trim();
  EXPECT_EQ(str(v), "a b");
  v = "\v x \f";  // only tab, line feed, carriage return and space are trimmed
  v.trim();
  EXPECT_EQ(str(v), "\v x \f");
  v = " \t \r\n";
  v.trim();
  EXPECT_EQ(v.length(), 0);

  v = "say \"hi\"";
  v.quote();
  EXPECT_EQ(str(v), "\"say \\\"hi\\\"\"");
  v = "\"already\" quoted";
  v.quote();
  EXPECT_EQ(str(v), "\"already\" quoted");
  v = "";
  v.quote();
  EXPECT_EQ(str(v), "\"\"");

  // UTF-8 passes as it is; what a page may not hold becomes U+FFFD: stray
  // bytes, a cut sequence, an encoded surrogate (one, for its three bytes),
  // control characters other than tab and line ends, and non-characters.
  v = "a<&\"\xC3\x88 \xE6\x97\xA5 \xF0\x9F\x98\x80\t\r\n";
  v.escape_html();
  EXPECT_EQ(str(v), "a&lt;&amp;&quot;\xC3\x88 \xE6\x97\xA5 \xF0\x9F\x98\x80\t\r\n");
  v = "x>y\x80\xFF|\xC3|\xED\xA0\x80|\x01\x7F|\xC2\x85|\xEF\xBF\xBE|\xE0\x80\xAF";
  v.escape_html();
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(str(v), "x&gt;y" + r + r + "|" + r + "|" + r + "|" + r + r + "|" + r + "|" + r + "|" +
                        r + r + r);
  v = "plain letters";
  const char* before = v.text().data();
  v.escape_html();
  EXPECT_EQ(str(v), "plain letters");
  EXPECT_EQ(v.text().data(), before);  // left as it is, no new block
}

TEST(Variant, LowerCaseFoldsWholeCharacters) {
  variant v("ABC \xC3\x89t\xC3\x89 Z \xCE\xA3\xCE\xA9 \xD0\x96 \xE2\x84\xAA \xFF");
  v.to_lower();
  // É, Σ, Ω and Ж fold to their small letters, the Kelvin sign to a one-byte
  // "k"; a byte that is no UTF-8 stays.
  EXPECT_EQ(str(v), "abc \xC3\xA9t\xC3\xA9 z \xCF\x83\xCF\x89 \xD0\xB6 k \xFF");
}

TEST(Variant, EditingOperations) {
  variant v(42);
  v.append(variant("!"));
  EXPECT_EQ(v.kind(), variant_kind::text);
  EXPECT_EQ(str(v), "42!");
  v.append(static_cast<const char*>(nullptr));
  v.append("");
  EXPECT_EQ(str(v), "42!");
  v.append(v);
  EXPECT_EQ(str(v), "42!42!");
  v.drop_front(3);
  EXPECT_EQ(str(v), "42!");
  v.drop_front(4);  // beyond the length: nothing
  v.drop_front(0);
  EXPECT_EQ(str(v), "42!");
  v.drop_front(3);
  EXPECT_EQ(v.length(), 0);

  variant left;
  left.set_left(variant("abcdef"), 3);
  EXPECT_EQ(str(left), "abc");
  left.set_left(variant("ab"), 10);
  EXPECT_EQ(str(left), "ab");
  left.set_left(variant(12345), 2);
  EXPECT_EQ(left.kind(), variant_kind::text);
  EXPECT_EQ(str(left), "12");

  variant s("abc");
  s.set_length(1);
  EXPECT_EQ(str(s), "a");
  s.set_length(-1);
  EXPECT_EQ(str(s), "a");

  variant copy;
  copy.assign_text_of(variant(77));
  EXPECT_EQ(copy.kind(), variant_kind::text);
  EXPECT_EQ(str(copy), "77");

  variant moved_from("gone");
  variant taker(static_cast<variant&&>(moved_from));
  EXPECT_EQ(str(taker), "gone");
  EXPECT_EQ(moved_from.length(), 0);
}
