#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/gbk.h"
#include "sync/sync_clock.h"
#include "values/date_time.h"

namespace {

// Effects that record what the command asked for instead of doing it.
struct Recorder {
    ByteData page;
    bool clockAccepts = true;
    int fetches = 0;
    std::vector<DateTime> clockSettings;

    SyncEffects effects() {
        return {
            .fetchTimePage = [this] { ++fetches; return page; },
            .setLocalClock = [this](DateTime v) { clockSettings.push_back(v); return clockAccepts; },
        };
    }
};

ByteData pageWith(long long milliseconds) { return "window.baidu_time(" + std::to_string(milliseconds) + ");"; }

// Each shape of the text form (trailing zero fields left out) must come back
// out of the six cuts as the same second.
TEST(SyncClock, EveryShapeOfTheTextFormSetsTheSameSecond) {
    struct Case {
        long long milliseconds;
        const char* text;  // the Beijing time's text form, UTF-8
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {1381810196000, "2013年10月15日12时9分56秒", 2013, 10, 15, 12, 9, 56},
        {1381810140000, "2013年10月15日12时9分", 2013, 10, 15, 12, 9, 0},
        {1381809600000, "2013年10月15日12时", 2013, 10, 15, 12, 0, 0},
        {1381766700000, "2013年10月15日0时5分", 2013, 10, 15, 0, 5, 0},
        {1381766405000, "2013年10月15日0时0分5秒", 2013, 10, 15, 0, 0, 5},
        {1381766400000, "2013年10月15日", 2013, 10, 15, 0, 0, 0},
        {0, "1970年1月1日8时", 1970, 1, 1, 8, 0, 0},
    };
    for (const auto& c : cases) {
        Recorder r;
        r.page = pageWith(c.milliseconds);
        const auto beijing = fetchBeijingTime(r.effects().fetchTimePage);
        ASSERT_TRUE(beijing.has_value());
        ASSERT_EQ(dateTimeToText(*beijing), gbk(c.text));

        EXPECT_EQ(syncClock(r.effects(), kMinDateTime), SyncOutcome::Synced) << c.text;
        ASSERT_EQ(r.clockSettings.size(), 1u) << c.text;
        EXPECT_EQ(r.clockSettings[0], *composeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second)) << c.text;
    }
}

TEST(SyncClock, SetsTheSecondThatWasReadAcrossTheRange) {
    std::mt19937_64 random(1381810196);
    // 0100-01-01 00:00 to 9999-12-30 23:59:59 in Beijing, as Unix seconds.
    std::uniform_int_distribution<long long> seconds(-59011488000LL, 253402185599LL);
    for (int i = 0; i < 20000; ++i) {
        const long long s = seconds(random);
        Recorder r;
        // The milliseconds are dropped toward zero, before 1970 as after.
        r.page = pageWith(s * 1000 + (s >= 0 ? 999 : -999));
        ASSERT_EQ(syncClock(r.effects(), kMinDateTime), SyncOutcome::Synced) << s;
        ASSERT_EQ(r.clockSettings.size(), 1u);
        EXPECT_EQ(splitDateTime(r.clockSettings[0]), splitDateTime(addSeconds(kBeijingEpoch, s))) << s;
    }
}

TEST(SyncClock, FailuresLeaveTheClockAlone) {
    const DateTime built = makeDateTime(2026, 12, 11);
    struct Case {
        ByteData page;
        SyncOutcome expected;
    };
    const Case cases[] = {
        {"", SyncOutcome::NoTime},  // what a failed fetch delivers
        {"<html>502 Bad Gateway</html>", SyncOutcome::NoTime},
        {"window.baidu_time();", SyncOutcome::NoTime},
        {pageWith(0), SyncOutcome::Untrusted},                // 1970: older than the program
        {pageWith(1381810196000), SyncOutcome::Untrusted},    // 2013
        {pageWith(-2147483648000LL), SyncOutcome::Untrusted}, // what a wrapped 32-bit count would give
    };
    for (const auto& c : cases) {
        Recorder r;
        r.page = c.page;
        EXPECT_EQ(syncClock(r.effects(), built), c.expected) << c.page;
        EXPECT_EQ(r.fetches, 1);
        EXPECT_TRUE(r.clockSettings.empty()) << c.page;
    }
}

TEST(SyncClock, APageFromTheBuildDayOnIsUsed) {
    const DateTime built = makeDateTime(2026, 12, 11);
    Recorder r;
    r.page = pageWith(1796918400000LL);  // 2026-12-11 00:00:00 Beijing
    EXPECT_EQ(syncClock(r.effects(), built), SyncOutcome::Synced);
    ASSERT_EQ(r.clockSettings.size(), 1u);
    EXPECT_EQ(r.clockSettings[0], built);
}

TEST(SyncClock, ARefusedClockIsReported) {
    Recorder r;
    r.page = pageWith(1381810196000);
    r.clockAccepts = false;
    EXPECT_EQ(syncClock(r.effects(), kMinDateTime), SyncOutcome::NotPermitted);
    EXPECT_EQ(r.clockSettings.size(), 1u);
}

TEST(NoticeFor, TextsTitlesAndStyles) {
    struct Case {
        SyncOutcome outcome;
        const char* text;  // UTF-8
        unsigned style;
    };
    const Case cases[] = {
        {SyncOutcome::Synced, "已同步！！ \r\n如果好用请介绍给你的朋友！", 0x2040},
        {SyncOutcome::NoTime, "同步失败：未能从网络取得北京时间，本机时间未改动。", 0x2030},
        {SyncOutcome::Untrusted, "同步失败：网络返回的时间不可信，本机时间未改动。", 0x2030},
        {SyncOutcome::NotPermitted, "同步失败：没有修改本机时间的权限，请以管理员身份运行本程序。", 0x2030},
    };
    for (const auto& c : cases) {
        const Notice notice = noticeFor(c.outcome);
        EXPECT_EQ(notice.text, gbk(c.text));
        EXPECT_EQ(notice.title, gbk("Tovren提示你"));
        EXPECT_EQ(notice.style, c.style);
    }
}

}  // namespace
