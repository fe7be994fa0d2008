// The locale texts as the system gives them. CTest runs this program twice under
// Wine: with the en-US rules (LUMADIR_LANG=C.UTF-8, TZ=UTC) and with German ones
// (LUMADIR_LANG=de_DE.UTF-8, TZ=Europe/Berlin); LUMADIR_LANG tells it which.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/number_text.h"

using namespace lumadir;

namespace {

bool german() {
  const char* lang = std::getenv("LUMADIR_LANG");
  return lang && std::string(lang).rfind("de_DE", 0) == 0;
}

std::string str(const variant& v) {
  return std::string(v.c_str(), v.length());
}

class LocaleText : public testing::Test {
 protected:
  void SetUp() override { load_number_format(format); }
  void TearDown() override { release_number_format(format); }
  std::string size(uint64_t bytes, int32_t unit = -1, const char* suffix = " units") {
    return str(size_text(bytes, unit, variant(suffix), format));
  }
  number_format format;
};

// 2026-12-07 23:05:09 UTC and 2026-07-04 09:30:00 UTC.
constexpr time_value winter = 1796684709;
constexpr time_value summer = 1783157400;

}  // namespace

TEST_F(LocaleText, NumberFormatComesFromTheLocale) {
  EXPECT_EQ(format.num_digits, 0u);
  EXPECT_EQ(format.grouping, 3u);
  ASSERT_NE(format.decimal_separator, nullptr);
  ASSERT_NE(format.thousand_separator, nullptr);
  EXPECT_STREQ(format.decimal_separator, german() ? "," : ".");
  EXPECT_STREQ(format.thousand_separator, german() ? "." : ",");
  EXPECT_EQ(format.leading_zero, 1u);
  release_number_format(format);
  EXPECT_EQ(format.decimal_separator, nullptr);
  EXPECT_EQ(format.thousand_separator, nullptr);
  release_number_format(format);  // twice is harmless
  load_number_format(format);
}

TEST_F(LocaleText, NumberText) {
  const char* sep = german() ? "." : ",";
  EXPECT_EQ(str(number_text(variant(1234567), format)),
            std::string("1") + sep + "234" + sep + "567");
  EXPECT_EQ(str(number_text(variant(0), format)), "0");
  EXPECT_EQ(str(number_text(variant::of_int64(5000000000LL), format)),
            std::string("5") + sep + "000" + sep + "000" + sep + "000");
  EXPECT_EQ(str(number_text(variant("not a number"), format)), "");  // the system refuses
}

TEST_F(LocaleText, GroupingMatchesTheSystemsOwn) {
  // Counts and sizes are grouped without asking the system; the result must be
  // the system's, digit for digit.
  uint64_t n = 0;
  for (int i = 0; i < 2000; ++i) {
    const variant value = variant::of_int64(static_cast<int64_t>(n));
    ASSERT_EQ(str(number_text(value, format)), str(number_text_of_system(value, format))) << n;
    n = n * 7 + static_cast<uint64_t>(i % 10);
    if (n > 9000000000000000000ULL) n = static_cast<uint64_t>(i);
  }
  for (const char* odd : {"007", "0", "-5", "12.5", "", "1e3"})
    EXPECT_EQ(str(number_text(variant(odd), format)),
              str(number_text_of_system(variant(odd), format)))
        << odd;
}

TEST_F(LocaleText, SizeTextUnits) {
  const std::string sep = german() ? "." : ",";
  EXPECT_EQ(size(0), "0b");
  EXPECT_EQ(size(1023), "1" + sep + "023b");
  EXPECT_EQ(size(1024), "1Kb");
  EXPECT_EQ(size(1048575), "1" + sep + "024Kb");
  EXPECT_EQ(size(1048576), "1Mb");
  EXPECT_EQ(size(1048577), "2Mb");
  EXPECT_EQ(size(5000000000ULL), "4" + sep + "769Mb");
  EXPECT_EQ(size(2049, 1), "3 units");  // rounded up
  EXPECT_EQ(size(1, 1), "1 units");
  EXPECT_EQ(size(0, 1), "0 units");
  EXPECT_EQ(size(2049, 0), "2" + sep + "049");  // bytes, no suffix
  EXPECT_EQ(size(3145728, 2, "M"), "3M");
  EXPECT_EQ(size(3145729, 2, "M"), "4M");
}

TEST_F(LocaleText, DateAndTimeTexts) {
  const time_value local_winter = time_to_local(winter);
  const time_value local_summer = time_to_local(summer);
  if (german()) {
    // Wine applies the offset in force now to every date, as the system's
    // file-time conversion does: one hour in winter, two in summer.
    EXPECT_TRUE(local_winter - winter == 3600 || local_winter - winter == 7200);
    EXPECT_EQ(local_summer - summer, local_winter - winter);
    EXPECT_EQ(time_to_utc(local_winter), winter);
    // Wine's German short date is d.M.yyyy; Windows' own is dd.MM.yyyy.
    EXPECT_TRUE(str(date_text(winter)) == "7.12.2026" || str(date_text(winter)) == "07.12.2026")
        << str(date_text(winter));
    EXPECT_EQ(str(time_text(winter, time_no_seconds)), "23:05");
    EXPECT_EQ(str(time_text(summer, time_no_seconds)), "09:30");
  } else {
    EXPECT_EQ(local_winter, winter);
    EXPECT_EQ(time_to_utc(winter), winter);
    EXPECT_EQ(str(date_text(winter)), "12/7/2026");
    EXPECT_EQ(str(time_text(winter, time_no_seconds)), "11:05 PM");
    EXPECT_EQ(str(time_text(summer, time_no_seconds)), "9:30 AM");
    EXPECT_EQ(str(time_text(winter, 0)), "11:05:09 PM");
  }
  if (german()) {
    EXPECT_TRUE(str(date_text(0)) == "1.1.1970" || str(date_text(0)) == "01.01.1970");
    EXPECT_EQ(str(date_text(-86400)), "31.12.1969");
  } else {
    EXPECT_EQ(str(date_text(0)), "1/1/1970");
    EXPECT_EQ(str(date_text(-86400)), "12/31/1969");
  }
}

TEST_F(LocaleText, NowIsCurrentUtc) {
  const time_value now = time_now();
  EXPECT_GT(now, 1767225600);  // after 2026-01-01
  EXPECT_LT(now, 2147483647);
}
