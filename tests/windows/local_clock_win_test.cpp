#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "values/date_time.h"
#include "values/local_clock.h"

namespace {

DateTime systemNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return *composeDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

TEST(CurrentDateTime, ReadsTheLocalClockInWholeSeconds) {
    const DateTime before = systemNow();
    const DateTime now = currentDateTime();
    const DateTime after = systemNow();
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    const double seconds = now * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
}

// Wine, like an unprivileged Windows process, refuses to move the clock; it
// never touches the host's clock, so this exercises the real call safely.
TEST(SetLocalClock, AFarTimeIsRefusedAndTheClockStays) {
    const DateTime before = currentDateTime();
    const DateTime farAway = addSeconds(before, 86400);
    EXPECT_FALSE(setLocalClock(farAway));
    const DateTime after = currentDateTime();
    EXPECT_LT(std::fabs(after - before), 5 * kSecondInDays);
}

}  // namespace
