#include "base/number_text.h"

#include <gtest/gtest.h>

using namespace lumadir;

TEST(NumberText, TimeValueAndFileTime) {
  constexpr file_time epoch = 116444736000000000ULL;
  EXPECT_EQ(time_from_file_time(epoch), 0);
  EXPECT_EQ(time_from_file_time(epoch - 10000000), -1);
  EXPECT_EQ(time_from_file_time(epoch - 5000000), 0);  // truncated toward zero
  EXPECT_EQ(time_from_file_time(epoch + 19999999), 1);
  EXPECT_EQ(file_time_from_time(0), epoch);
  EXPECT_EQ(file_time_from_time(-1), epoch - 10000000);
  for (time_value t : {0, 1, -1, 1234567890, INT32_MAX, INT32_MIN})
    EXPECT_EQ(time_from_file_time(file_time_from_time(t)), t);
}

TEST(NumberText, AttributeLettersInFixedOrder) {
  EXPECT_STREQ(attribute_text(0x1 | 0x2 | 0x20).c_str(), "AHR");
  EXPECT_STREQ(attribute_text(0).c_str(), "");
  EXPECT_EQ(attribute_text(0).kind(), variant_kind::text);
  EXPECT_STREQ(attribute_text(0x1FFF).c_str(), "ACHORST");
  EXPECT_STREQ(attribute_text(0x10 | 0x80).c_str(), "");  // directory and normal: no letter
  EXPECT_STREQ(attribute_text(0x4 | 0x100).c_str(), "ST");
}
