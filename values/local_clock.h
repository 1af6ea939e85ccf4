// The machine's local wall clock.
//
// systemTimeFor is portable so that the exact fields handed to Windows are
// tested on every build; currentDateTime and setLocalClock live in
// local_clock_win.cpp.
#pragma once

#include <cstdint>

#include "date_time.h"

// The fields of a Windows SYSTEMTIME, in its order and spelling.
struct SystemTimeFields {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTimeFields&, const SystemTimeFields&) = default;
};

// The clock setting for `v`: clamped, rounded to the whole second, with the
// day of the week of the rounded date and no milliseconds.
SystemTimeFields systemTimeFor(DateTime v);

// The local time now, to the whole second (milliseconds dropped, not rounded).
DateTime currentDateTime();

// Sets the local clock to `v` (see systemTimeFor); true when the system took
// the new time, false when it refused (for instance without the right to
// change it), in which case the clock is unchanged.
bool setLocalClock(DateTime v);
