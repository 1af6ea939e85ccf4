#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/gbk.h"
#include "sync/time_page.h"
#include "values/date_time.h"

namespace {

using namespace std::string_literals;

constexpr double k20131015 = 41562.506898148145;  // 2013-10-15 12:09:56 Beijing

struct PageCase {
    std::string body;
    std::optional<double> expected;
};

TEST(BeijingTimeFromPage, Readable) {
    const PageCase cases[] = {
        {"window.baidu_time(1381810196000);", k20131015},
        {"<script>window.baidu_time(1381810196000);</script>", k20131015},
        {"window.baidu_time(1381810196999);", k20131015},     // milliseconds dropped, not rounded
        {"window.baidu_time(1381810196999.9);", k20131015},
        {"window.baidu_time( 1381810196000 );", k20131015},
        {"window.baidu_time(1381810196000,8);", k20131015},
        {"window.baidu_time(" + gbk("１３８１８１０１９６０００") + ")", k20131015},
        {"window.baidu_time(1.381810196e12)", k20131015},
        {"window.baidu_time(0)", kBeijingEpoch},
        {"window.baidu_time(999)", kBeijingEpoch},
        {"window.baidu_time(-1500)", addSeconds(kBeijingEpoch, -1)},  // toward zero: -1, not -2
        {"window.baidu_time(1381810196000) window.baidu_time(0)", k20131015},  // the first marker counts
        {") window.baidu_time(1381810196000)", k20131015},  // a ")" before the marker is ignored
        {gbk("北京时间") + "window.baidu_time(1381810196000)", k20131015},
        {"window.baidu_time(2147483647000)", addSeconds(kBeijingEpoch, 2147483647)},
        {"window.baidu_time(-2147483648000)", addSeconds(kBeijingEpoch, -2147483648LL)},
        // Past 2038-01-19 03:14:07 UTC the count goes on instead of wrapping to 1901.
        {"window.baidu_time(2147483648000)", addSeconds(kBeijingEpoch, 2147483648LL)},
        {"window.baidu_time(4102444800000)", *composeDateTime(2100, 1, 1, 8, 0, 0)},
    };
    for (const auto& c : cases) EXPECT_EQ(beijingTimeFromPage(c.body), c.expected) << "body " << c.body;
}

TEST(BeijingTimeFromPage, Unreadable) {
    const std::string cases[] = {
        "",
        "<html>no time here</html>",
        "window.baidu_time()",
        "window.baidu_time(",
        "window.baidu_time(1381810196000",          // no ")" after the marker
        "window.baidu_time(   )",
        "window.baidu_time(abc)",
        "WINDOW.BAIDU_TIME(1381810196000)",          // byte for byte: capitals differ
        "x\0window.baidu_time(1381810196000)"s,      // a zero byte ends the page
        "window.baidu_time\0(1381810196000)"s,
        "12345678901234567(1381810196000)",          // no marker: no guessing at position 17
        "window.baidu_time(1e300)",                  // beyond 9999-12-31
        "window.baidu_time(-1e300)",                 // before 0100-01-01
        "window.baidu_time(1e999)",                  // an infinite count
        "window.baidu_time(253402300800000)",        // 10000-01-01 00:00 UTC
        // A lead byte just before the marker swallows its "w": the scan steps
        // over the pair, as it would in a page whose encoding is not GBK.
        "\xE4\xB8\xADwindow.baidu_time(1381810196000)",  // 中 in UTF-8
    };
    for (const auto& body : cases) EXPECT_EQ(beijingTimeFromPage(body), std::nullopt) << "body " << body;
}

TEST(BeijingTimeFromPage, LastDayOfTheRange) {
    // 9999-12-30 16:00:00 UTC is 9999-12-31 00:00:00 in Beijing, the last value in range.
    EXPECT_EQ(beijingTimeFromPage("window.baidu_time(253402185600000)"), kMaxDateTime);
    EXPECT_EQ(beijingTimeFromPage("window.baidu_time(253402185601000)"), std::nullopt);
}

}  // namespace
