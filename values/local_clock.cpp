#include "local_clock.h"

SystemTimeFields systemTimeFor(DateTime v) {
    const DateTimeParts p = splitDateTime(clampDateTime(v));
    return SystemTimeFields{
        .wYear = static_cast<std::uint16_t>(p.year),
        .wMonth = static_cast<std::uint16_t>(p.month),
        .wDayOfWeek = static_cast<std::uint16_t>(p.dayOfWeek),
        .wDay = static_cast<std::uint16_t>(p.day),
        .wHour = static_cast<std::uint16_t>(p.hour),
        .wMinute = static_cast<std::uint16_t>(p.minute),
        .wSecond = static_cast<std::uint16_t>(p.second),
        .wMilliseconds = 0,
    };
}
