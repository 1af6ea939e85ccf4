#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "support/gbk.h"
#include "values/text.h"

namespace {

TEST(TextLength, CountsBytesNotCharacters) {
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength("abc"), 3);
    EXPECT_EQ(textLength(gbk("2013年10月15日12时9分56秒")), 25);
    EXPECT_EQ(textLength(gbk("9999年12月31日23时59分59秒")), 26);
    EXPECT_EQ(textLength(gbk("本机当前时间：")), 14);
}

struct FindCase {
    std::string text;
    std::string search;
    std::int32_t start;
    std::int32_t expected;
};

TEST(FindText, Cases) {
    const FindCase cases[] = {
        {"abcabc", "c", 4, 6},          // counted from the start of the whole text
        {"abc", "a", 0, 1},             // start below 1 counts as 1
        {"abc", "a", -5, 1},
        {"abc", "a", std::numeric_limits<std::int32_t>::min(), 1},
        {"abc", "c", 3, 3},
        {"abc", "c", 4, -1},            // start beyond the end
        {"abc", "", 3, 1},              // empty search: 1 whenever the range is not empty
        {"abc", "", 4, -1},
        {"", "", 1, -1},
        {"", "a", 1, -1},
        {"abc", "ABC", 1, -1},          // case-sensitive
        {"ab", "abc", 1, -1},           // search longer than text
        {"abc", "abc", 1, 1},
        {"abcabc", "abc", 2, 4},
        {"\x81\x41", "A", 1, -1},        // 丄: its trail byte equals A but is no character
        {"\x81\x41" "A", "A", 1, 3},
        {"x\x81", "\x81", 1, 2},         // a lead byte at the very end can still match itself
        {"\x81", "A", 1, -1},            // a lone lead byte ends the scan
        {"a\xB1\xBE" "b", "b", 2, 4},
        {"\xB1\xBE" "b", "\xBE" "b", 2, 2},  // the byte at the start is always taken as a character start
        {"abc", "c", std::numeric_limits<std::int32_t>::max(), -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(c.text, c.search, c.start), c.expected)
            << "text '" << c.text << "' search '" << c.search << "' start " << c.start;
    }
    EXPECT_EQ(findText("abc", "c"), 3);  // start omitted
}

TEST(FindText, StepsOverTwoByteCharacters) {
    const std::string text = gbk("2013年10月15日12时9分56秒");
    EXPECT_EQ(findText(text, gbk("年")), 5);
    EXPECT_EQ(findText(text, gbk("秒")), 24);
    EXPECT_EQ(findText(text, gbk("时"), 14), 17);
    // 年 is C4 EA and 月 D4 C2: the byte pair EA 31 straddles a character
    // boundary and must not be found.
    EXPECT_EQ(findText(text, "\xEA" "1"), -1);
}

struct MidCase {
    std::int32_t start;
    std::int32_t count;
    std::string expected;
};

TEST(MidText, Bounds) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const MidCase cases[] = {
        {2, 5, "bc"}, {3, 1, "c"}, {1, 3, "abc"}, {1, kMax, "abc"},
        {0, 2, ""},  {4, 1, ""},  {1, 0, ""},    {2, -1, ""},
        {kMin, 2, ""}, {kMax, 2, ""}, {-1, kMax, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(midText("abc", c.start, c.count), c.expected) << "start " << c.start << " count " << c.count;
    }
    EXPECT_EQ(midText("", 1, 1), "");
    EXPECT_EQ(midText("\xB1\xBE", 2, 1), "\xBE");  // counts bytes and may split a character
}

TEST(JoinTexts, KeepsOrderAndSkipsNothing) {
    EXPECT_EQ(joinTexts({"ab"}), "ab");
    EXPECT_EQ(joinTexts({gbk("本机当前时间："), gbk("1970年1月1日")}), gbk("本机当前时间：1970年1月1日"));
    EXPECT_EQ(joinTexts({"", "a", "", "b", ""}), "ab");
    EXPECT_EQ(joinTexts({"", ""}), "");
}

TEST(ToHalfWidth, ReplacesTheTableAndNothingElse) {
    EXPECT_EQ(toHalfWidth(gbk("　～☆★")), " ~**");
    EXPECT_EQ(toHalfWidth(gbk("！０９ＡＺａｚ－＋．～")), "!09AZaz-+.~");
    EXPECT_EQ(toHalfWidth("\xA3\xA4"), "$");  // full-width yen stands where the dollar sign is
    EXPECT_EQ(toHalfWidth("\xA3\xFE"), "~");  // full-width macron stands where the tilde is
    EXPECT_EQ(toHalfWidth(gbk("年12月")), gbk("年12月"));
    EXPECT_EQ(toHalfWidth("\xA3\xA0\xA3\xFF"), "\xA3\xA0\xA3\xFF");  // just outside A1..FE
    EXPECT_EQ(toHalfWidth("a\xA3"), "a\xA3");                        // a lone lead byte at the end
    // Stepping by characters: the A3 inside 81 A3 is a trail byte, not a lead.
    EXPECT_EQ(toHalfWidth("\x81\xA3\xB1"), "\x81\xA3\xB1");
}

struct IntegerCase {
    std::string text;
    std::int32_t expected;
};

TEST(ToInteger, Cases) {
    const IntegerCase cases[] = {
        {"2013", 2013},
        {gbk("12年"), 12},
        {"+7", 7},
        {"  -42abc", -42},
        {"\t\n\v\f\r9", 9},
        {gbk("１２３"), 123},
        {gbk("－５"), -5},
        {gbk("　7"), 7},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+-1", 0},
        {"- 1", 0},
        {"2147483647", 2147483647},
        {"2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"4294967297", 1},
        {"-4294967297", -1},
        {"99999999999999999999", 1661992959},  // 10^20 - 1 mod 2^32, as a signed value
        {"007", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(toInteger(c.text), c.expected) << "text '" << c.text << "'";
}

struct NumberCase {
    std::string text;
    double expected;
};

TEST(ToNumber, Cases) {
    const NumberCase cases[] = {
        {"1381810196000", 1381810196000.0},
        {"1.5e3", 1500}, {"1.5E3", 1500}, {"1.5d3", 1500}, {"1.5D3", 1500},
        {"1.5e+3", 1500}, {"15e-1", 1.5}, {"1D-1", 0.1},
        {".5", 0.5}, {"5.", 5}, {"-0.5", -0.5}, {"+2", 2},
        {"12abc", 12}, {"1e", 1}, {"1e+", 1}, {"1d-x", 1}, {"1.2.3", 1.2},
        {"abc", 0}, {"", 0}, {".", 0}, {"-", 0}, {"+.e1", 0}, {"e5", 0},
        {gbk("１．５"), 1.5}, {gbk("１Ｅ２"), 100}, {" 3", 3}, {gbk("　 \t3"), 3},
        {"0x10", 0}, {"inf", 0}, {"nan", 0}, {"infinity", 0},
        {"1381810196999.9", 1381810196999.9},
        {"0.1", 0.1},  // correctly rounded, not accumulated digit by digit
        {"9007199254740993", 9007199254740992.0},  // round half to even
        {"1e400", std::numeric_limits<double>::infinity()},
        {"-1e400", -std::numeric_limits<double>::infinity()},
        {"1e-400", 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(toNumber(c.text), c.expected) << "text '" << c.text << "'";
    EXPECT_TRUE(std::signbit(toNumber("-0")));
}

TEST(ReadNumber, TellsAbsentFromZero) {
    EXPECT_EQ(readNumber("0"), 0.0);
    EXPECT_EQ(readNumber("abc"), std::nullopt);
    EXPECT_EQ(readNumber(""), std::nullopt);
    EXPECT_EQ(readNumber("  "), std::nullopt);
    EXPECT_EQ(readNumber(" 7 "), 7.0);
}

TEST(BytesToText, StopsAtTheFirstZeroByte) {
    using namespace std::string_literals;
    EXPECT_EQ(bytesToText("ab\0c"s), "ab");
    EXPECT_EQ(bytesToText("ab"s), "ab");
    EXPECT_EQ(bytesToText("\0a"s), "");
    EXPECT_EQ(bytesToText(""), "");
    EXPECT_EQ(bytesToText("\xFF\x80"s), "\xFF\x80");  // bytes pass through unconverted
}

TEST(TruncateToInteger, Cases) {
    constexpr std::int64_t kInvalid = std::numeric_limits<std::int64_t>::min();
    const std::pair<double, std::int64_t> cases[] = {
        {1381810196.999, 1381810196},
        {2.9, 2},
        {-2.9, -2},
        {-1.5, -1},
        {-0.0, 0},
        {1e19, kInvalid},
        {-1e19, kInvalid},
        {std::nan(""), kInvalid},
        {std::numeric_limits<double>::infinity(), kInvalid},
        {-std::numeric_limits<double>::infinity(), kInvalid},
        {9223372036854774784.0, 9223372036854774784},   // the largest double below 2^63
        {9223372036854775808.0, kInvalid},              // 2^63 itself
        {-9223372036854775808.0, kInvalid},             // -2^63 fits and is that value
    };
    for (const auto& [x, expected] : cases) EXPECT_EQ(truncateToInteger(x), expected) << "x " << x;
}

struct BetweenCase {
    std::string text;
    std::string left;
    std::string right;
    std::string expected;
};

TEST(TextBetween, Cases) {
    const std::string full = gbk("2013年10月15日12时9分56秒");
    const BetweenCase cases[] = {
        {full, "", gbk("年"), "2013"},
        {full, gbk("年"), gbk("月"), "10"},
        {full, gbk("月"), gbk("日"), "15"},
        {full, gbk("日"), gbk("时"), "12"},
        {full, gbk("时"), gbk("分"), "9"},
        {full, gbk("分"), gbk("秒"), "56"},
        {"a-b-c", "-", "-", "b"},                                  // the first left marker counts
        {gbk("2013年10月15日12时"), gbk("时"), gbk("分"), ""},     // left at the very end
        {gbk("2013年10月15日12时9分"), gbk("日"), gbk("秒"), ""},  // right missing after left
        {gbk("2013年10月15日12时9分"), gbk("分"), gbk("秒"), ""},
        {"abc-def", "", "-", "abc"},                               // empty left: the whole text
        {full, gbk("年"), "", ""},                                 // empty right: count 0
        {"", gbk("年"), gbk("月"), ""},
        {"", "", "", ""},
        {gbk("2013年10月15日"), gbk("时"), gbk("分"), ""},         // both missing
        {gbk("2013年10月15日"), gbk("分"), gbk("秒"), ""},
        {gbk("2013年10月15日"), gbk("时"), gbk("月"), gbk("2013年10")},  // two-byte left missing
        {"abc", "x", "c", ""},                                     // one-byte left missing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textBetween(c.text, c.left, c.right), c.expected)
            << "text '" << c.text << "' left '" << c.left << "' right '" << c.right << "'";
    }
}

}  // namespace
