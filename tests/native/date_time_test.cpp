#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "support/gbk.h"
#include "values/date_time.h"
#include "values/local_clock.h"

namespace {

// An independent civil-from-days conversion (Hinnant's algorithm), so that the
// calendar tests do not check <chrono> against itself. Days count from
// 1970-01-01.
struct Civil {
    std::int64_t year;
    int month;
    int day;
};
Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const auto day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const auto month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2), month, day};
}
constexpr std::int64_t kDayZeroFrom1970 = -25569;

TEST(Constants, ExactBits) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(kBeijingEpoch), 0x40D8F85555555555u);
    EXPECT_EQ(kBeijingEpoch, 25569.333333333332);
    EXPECT_EQ(kSecondInDays, 1.0 / 86400.0);
    EXPECT_EQ(kHalfSecondInDays, 1.0 / 172800.0);
}

TEST(ClampDateTime, Bounds) {
    const std::pair<double, double> cases[] = {
        {0.0, 0.0},
        {kMaxDateTime, kMaxDateTime},
        {kMinDateTime, kMinDateTime},
        {2958465.5, kMaxDateTime},
        {-657434.5, kMinDateTime},  // after midnight of 0100-01-01, yet numerically below
        {3000000.0, kMaxDateTime},
        {-1e300, kMinDateTime},
        {std::numeric_limits<double>::infinity(), kMaxDateTime},
        {-std::numeric_limits<double>::infinity(), kMinDateTime},
        {std::nan(""), kMaxDateTime},
    };
    for (const auto& [v, expected] : cases) EXPECT_EQ(clampDateTime(v), expected) << "v " << v;
}

TEST(SplitDateTime, RoundingAndNegativeValues) {
    struct Case {
        double v;
        DateTimeParts expected;
    };
    const Case cases[] = {
        {0.0, {1899, 12, 30, 0, 0, 0, 6}},
        {0.99999999, {1899, 12, 31, 0, 0, 0, 0}},     // rounds into the next day
        {kBeijingEpoch, {1970, 1, 1, 8, 0, 0, 4}},    // a hair below 08:00 rounds up
        {41562.506898148145, {2013, 10, 15, 12, 9, 56, 2}},
        {-1.25, {1899, 12, 29, 6, 0, 0, 5}},
        {-0.5, {1899, 12, 30, 12, 0, 0, 6}},
        {0.5, {1899, 12, 30, 12, 0, 0, 6}},
        {-2.0, {1899, 12, 28, 0, 0, 0, 4}},
        {-1.999988425925926, {1899, 12, 29, 23, 59, 59, 5}},
        // Negative values whose time rounds up to the following midnight
        // land on the following day.
        {-1.99999999, {1899, 12, 30, 0, 0, 0, 6}},
        {-0.99999999, {1899, 12, 31, 0, 0, 0, 0}},
        {60.0, {1900, 2, 28, 0, 0, 0, 3}},
        {61.0, {1900, 3, 1, 0, 0, 0, 4}},
        {kMinDateTime, {100, 1, 1, 0, 0, 0, 5}},
        {kMaxDateTime, {9999, 12, 31, 0, 0, 0, 5}},
        {1.0 + 0.5 / 86400.0, {1899, 12, 31, 0, 0, 1, 0}},   // exactly half a second rounds up
    };
    for (const auto& c : cases) EXPECT_EQ(splitDateTime(c.v), c.expected) << "v " << c.v;
}

TEST(ComposeDateTime, RefusesInvalidSets) {
    EXPECT_EQ(composeDateTime(2013, 10, 15, 12, 9, 56), 41562.506898148145);
    EXPECT_EQ(composeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_EQ(composeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_EQ(composeDateTime(100, 1, 1, 0, 0, 0), kMinDateTime);
    EXPECT_EQ(composeDateTime(9999, 12, 31, 0, 0, 0), kMaxDateTime);
    const int invalid[][6] = {
        {10000, 1, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 0},     {2013, 0, 1, 0, 0, 0}, {2013, 13, 1, 0, 0, 0},
        {2013, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2013, 4, 31, 0, 0, 0}, {2013, 1, 0, 0, 0, 0},
        {2013, 1, 1, 24, 0, 0}, {2013, 1, 1, 0, 60, 0}, {2013, 1, 1, 0, 0, 60}, {2013, 1, 1, -1, 0, 0},
    };
    for (const auto& s : invalid) {
        EXPECT_EQ(composeDateTime(s[0], s[1], s[2], s[3], s[4], s[5]), std::nullopt)
            << s[0] << "-" << s[1] << "-" << s[2] << " " << s[3] << ":" << s[4] << ":" << s[5];
    }
    EXPECT_TRUE(composeDateTime(2000, 2, 29, 0, 0, 0).has_value());
}

TEST(MakeDateTime, ClampsEachField) {
    EXPECT_EQ(makeDateTime(2013, 10, 15, 12, 9, 56), 41562.506898148145);
    EXPECT_EQ(makeDateTime(2013, 2, 31, 25, 61, -5), *composeDateTime(2013, 2, 28, 23, 59, 0));
    EXPECT_EQ(makeDateTime(2000, 2, 30), *composeDateTime(2000, 2, 29, 0, 0, 0));
    EXPECT_EQ(makeDateTime(1900, 2, 29), 60.0);
    EXPECT_EQ(makeDateTime(), kMinDateTime);  // year 1 clamps to 100
    EXPECT_EQ(makeDateTime(10000, 13, 32, 24, 60, 60), 2958465.999988426);
    EXPECT_GT(makeDateTime(10000, 13, 32, 24, 60, 60), kMaxDateTime);
    EXPECT_EQ(makeDateTime(std::numeric_limits<std::int32_t>::min(), -1, -1, -1, -1, -1), kMinDateTime);
    EXPECT_EQ(makeDateTime(2013, 4, 31), *composeDateTime(2013, 4, 30, 0, 0, 0));
}

struct TextCase {
    double v;
    const char* expected;  // UTF-8
};

TEST(DateTimeToText, EveryShape) {
    const TextCase cases[] = {
        {kBeijingEpoch, "1970年1月1日8时"},
        {41562.506898148145, "2013年10月15日12时9分56秒"},
        {41562.50625, "2013年10月15日12时9分"},
        {41562.5, "2013年10月15日12时"},
        {41562.50005787037, "2013年10月15日12时0分5秒"},
        {41562.00347222222, "2013年10月15日0时5分"},
        {41562.00005787037, "2013年10月15日0时0分5秒"},
        {41562.0, "2013年10月15日"},
        {0.0, "1899年12月30日"},
        {0.99999999, "1899年12月31日"},
        {60.0, "1900年2月28日"},
        {61.0, "1900年3月1日"},
        {3000000.0, "9999年12月31日"},
        {2958465.9, "9999年12月31日"},
        {-1000000.0, "100年1月1日"},
        {-657434.5, "100年1月1日"},
        {std::nan(""), "9999年12月31日"},
        {*composeDateTime(9999, 12, 30, 23, 59, 59), "9999年12月30日23时59分59秒"},
    };
    for (const auto& c : cases) EXPECT_EQ(dateTimeToText(c.v), gbk(c.expected)) << "v " << c.v;
    EXPECT_EQ(dateTimeToText(*composeDateTime(9999, 12, 30, 23, 59, 59)).size(), 26u);
}

TEST(LinearDays, MapBothWays) {
    const std::pair<double, double> cases[] = {
        {0.0, 0.0}, {0.25, 0.25}, {-1.25, -0.75}, {-1.75, -0.25}, {-2.0, -2.0}, {-0.5, 0.5}, {-657434.0, -657434.0},
    };
    for (const auto& [stored, linear] : cases) EXPECT_EQ(toLinearDays(stored), linear) << "stored " << stored;
    EXPECT_EQ(fromLinearDays(-0.75), -1.25);
    EXPECT_EQ(fromLinearDays(-0.25), -1.75);
    EXPECT_EQ(fromLinearDays(-2.0), -2.0);
    EXPECT_EQ(fromLinearDays(3.5), 3.5);
}

TEST(AddSeconds, Cases) {
    struct Case {
        double v;
        std::int64_t n;
        double expected;
    };
    const Case cases[] = {
        {kBeijingEpoch, 1381810196, 41562.506898148145},
        {kBeijingEpoch, -28800, 25569.0},
        {0.25, -43200, -1.75},
        {-1.75, 43200, 0.25},
        {0.0, -1, -1.999988425925926},
        {3000000.0, 0, 3000000.0},      // zero leaves even an out-of-range value alone
        {3000000.0, 1, 2958465.000011574},
        {2958465.0, 86400, 2958466.0},  // the result is not clamped
    };
    for (const auto& c : cases) EXPECT_EQ(addSeconds(c.v, c.n), c.expected) << "v " << c.v << " n " << c.n;
    EXPECT_TRUE(std::isnan(addSeconds(std::nan(""), 0)));
}

TEST(AddSeconds, RendersAcrossThe32BitSpanAndBeyond) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {1, "1970年1月1日8时0分1秒"},
        {-1, "1970年1月1日7时59分59秒"},
        {2147483647, "2038年1月19日11时14分7秒"},
        {-2147483648LL, "1901年12月14日4时45分52秒"},
        {2147483648LL, "2038年1月19日11时14分8秒"},    // past 32 bits: no wrap to 1901
        {4102444800LL, "2100年1月1日8时"},
        {253402271999LL, "9999年12月31日"},   // 9999-12-31 23:59:59 Beijing, above the range: clamped
    };
    for (const auto& [n, expected] : cases) {
        EXPECT_EQ(dateTimeToText(addSeconds(kBeijingEpoch, n)), gbk(expected)) << "n " << n;
    }
    // -2^63 must not overflow on negation.
    EXPECT_LT(addSeconds(kBeijingEpoch, std::numeric_limits<std::int64_t>::min()), kMinDateTime);
}

TEST(SystemTimeFor, FieldsHandedToTheClock) {
    EXPECT_EQ(systemTimeFor(41562.506898148145), (SystemTimeFields{2013, 10, 2, 15, 12, 9, 56, 0}));
    EXPECT_EQ(systemTimeFor(kBeijingEpoch), (SystemTimeFields{1970, 1, 4, 1, 8, 0, 0, 0}));
    // The day of the week is that of the rounded date.
    EXPECT_EQ(systemTimeFor(0.99999999), (SystemTimeFields{1899, 12, 0, 31, 0, 0, 0, 0}));
    EXPECT_EQ(systemTimeFor(3000000.0), (SystemTimeFields{9999, 12, 5, 31, 0, 0, 0, 0}));
    // A value a fraction of a second past 12:09:56 still sends no milliseconds.
    EXPECT_EQ(systemTimeFor(41562.506898148145 + 0.4 * kSecondInDays).wMilliseconds, 0);
}

// Every day of the range, at midnight and at a time that varies from day to
// day, renders as an independent calendar computation says.
TEST(DateTimeToText, AgreesWithAnIndependentCalendarOverTheWholeRange) {
    const std::string year = gbk("年"), month = gbk("月"), dayUnit = gbk("日");
    const std::string hour = gbk("时"), minute = gbk("分"), second = gbk("秒");
    std::mt19937 random(20131015);
    std::uniform_int_distribution<int> secondOfDay(0, 86399);
    for (auto day = static_cast<std::int64_t>(kMinDateTime); day <= static_cast<std::int64_t>(kMaxDateTime); ++day) {
        const Civil c = civilFromDays(day + kDayZeroFrom1970);
        const std::string date = std::to_string(c.year) + year + std::to_string(c.month) + month +
                                 std::to_string(c.day) + dayUnit;
        ASSERT_EQ(dateTimeToText(static_cast<double>(day)), date) << "day " << day;
        // Any time after midnight of the first and the last day lies outside the range.
        if (day == static_cast<std::int64_t>(kMinDateTime)) continue;
        if (day == static_cast<std::int64_t>(kMaxDateTime)) break;

        const int s = secondOfDay(random);
        const int h = s / 3600, m = s / 60 % 60, sec = s % 60;
        std::string time;
        if (sec != 0) {
            time = std::to_string(h) + hour + std::to_string(m) + minute + std::to_string(sec) + second;
        } else if (m != 0) {
            time = std::to_string(h) + hour + std::to_string(m) + minute;
        } else if (h != 0) {
            time = std::to_string(h) + hour;
        }
        const double fraction = s * kSecondInDays;
        const double v = day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
        ASSERT_EQ(dateTimeToText(v), date + time) << "day " << day << " second " << s;
    }
}

// Splitting what composeDateTime gives returns the same six numbers, for
// every day from 0100-01-02 to 9999-12-30 at times that cover each hour,
// minute and second, the last second of the day included.
TEST(SplitDateTime, InvertsComposeOverTheWholeRange) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> secondOfDay(0, 86399);
    const std::int64_t first = static_cast<std::int64_t>(kMinDateTime) + 1;
    const std::int64_t last = static_cast<std::int64_t>(kMaxDateTime) - 1;
    for (std::int64_t day = first; day <= last; ++day) {
        const Civil c = civilFromDays(day + kDayZeroFrom1970);
        for (const int s : {secondOfDay(random), 86399, 0}) {
            const DateTimeParts expected{static_cast<std::int32_t>(c.year), c.month, c.day, s / 3600, s / 60 % 60,
                                         s % 60, static_cast<std::int32_t>(((day % 7) + 7 + 6) % 7)};
            const auto v = composeDateTime(expected.year, expected.month, expected.day, expected.hour,
                                           expected.minute, expected.second);
            ASSERT_TRUE(v.has_value());
            ASSERT_EQ(splitDateTime(*v), expected) << "day " << day << " second " << s;
        }
    }
}

}  // namespace
