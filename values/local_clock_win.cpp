#include <windows.h>

#include "local_clock.h"

DateTime currentDateTime() {
    // GetLocalTime rather than the C library's time(): no 32-bit time_t sits
    // between the clock and the value, so the reading holds past 2038.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return composeDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond)
        .value_or(kMinDateTime);
}

bool setLocalClock(DateTime v) {
    const SystemTimeFields f = systemTimeFor(v);
    const SYSTEMTIME st{f.wYear, f.wMonth, f.wDayOfWeek, f.wDay, f.wHour, f.wMinute, f.wSecond, f.wMilliseconds};
    return SetLocalTime(&st) != FALSE;
}
