#include <gtest/gtest.h>

#include <string>

#include "support/gbk.h"
#include "ui/clock_text.h"
#include "values/date_time.h"

namespace {

TEST(ClockPrefix, IsTheFourteenBytesOfItsChineseText) {
    EXPECT_EQ(std::string(kClockPrefix), gbk("本机当前时间："));
    EXPECT_EQ(std::string(kClockPrefix).size(), 14u);
}

struct LabelCase {
    DateTime now;
    const char* label;  // UTF-8, converted to GBK for the comparison
};

// Every shape of the time part: trailing zero fields are left out, so the
// text shrinks at whole minutes, hours and midnight.
const LabelCase kLabelCases[] = {
    {makeDateTime(2013, 10, 15, 12, 9, 56), "本机当前时间：2013年10月15日12时9分56秒"},
    {makeDateTime(2013, 10, 15, 12, 9, 0), "本机当前时间：2013年10月15日12时9分"},
    {makeDateTime(2013, 10, 15, 12, 0, 0), "本机当前时间：2013年10月15日12时"},
    {makeDateTime(2013, 10, 15, 0, 0, 5), "本机当前时间：2013年10月15日0时0分5秒"},
    {makeDateTime(2013, 10, 15, 0, 0, 0), "本机当前时间：2013年10月15日"},
};

TEST(ClockLabelText, FollowsTheShapesOfTheTextForm) {
    for (const LabelCase& c : kLabelCases) {
        EXPECT_EQ(clockLabelText(c.now), gbk(c.label)) << c.label;
    }
}

// The widest reading the label can get: a four-digit year and two digits in
// every other field.
TEST(ClockLabelText, NeverExceedsFortyBytes) {
    const std::string longest = clockLabelText(makeDateTime(2038, 12, 31, 23, 59, 59));
    EXPECT_EQ(longest, gbk("本机当前时间：2038年12月31日23时59分59秒"));
    EXPECT_EQ(longest.size(), 40u);
}

}  // namespace
