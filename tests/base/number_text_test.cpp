#include "base/number_text.h"

#include <gtest/gtest.h>

using namespace lumadir;

TEST(NumberText, TimeValueAndFileTime) {
  constexpr file_time epoch = 116444736000000000ULL;
  EXPECT_EQ(time_from_file_time(epoch), 0);
  EXPECT_EQ(time_from_file_time(epoch - 10000000), -1);
  EXPECT_EQ(time_from_file_time(epoch - 5000000), -1);  // half a second before: its second
  EXPECT_EQ(time_from_file_time(epoch + 19999999), 1);
  // Every file time is in range: 2040, the first second of 1601, the last one.
  EXPECT_EQ(time_from_file_time(epoch + 2208988800LL * 10000000), 2208988800LL);
  EXPECT_EQ(time_from_file_time(0), -11644473600LL);
  EXPECT_EQ(time_from_file_time(0x7FFFFFFFFFFFFFFFULL), 910692730085LL);
  EXPECT_EQ(file_time_from_time(0), epoch);
  EXPECT_EQ(file_time_from_time(-1), epoch - 10000000);
  for (time_value t : {0LL, 1LL, -1LL, 1234567890LL, 2208988800LL, -11644473600LL, 253402300799LL})
    EXPECT_EQ(time_from_file_time(file_time_from_time(t)), t);
}

TEST(NumberText, AttributeLettersInFixedOrder) {
  EXPECT_STREQ(attribute_text(0x1 | 0x2 | 0x20).c_str(), "AHR");
  EXPECT_STREQ(attribute_text(0).c_str(), "");
  EXPECT_EQ(attribute_text(0).kind(), variant_kind::text);
  EXPECT_STREQ(attribute_text(0x1FFF).c_str(), "ACHLORST");
  EXPECT_STREQ(attribute_text(0x10 | 0x80).c_str(), "");  // directory and normal: no letter
  EXPECT_STREQ(attribute_text(0x4 | 0x100).c_str(), "ST");
}
