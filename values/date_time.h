// The calendar value of the program.
//
// A DateTime is a wall-clock reading with no time zone, held as a double: the
// whole part counts days from 1899-12-30 (day 0) and the fraction is the time
// of day. Before day 0 the whole part is negative while the fraction still
// counts forward from that day's midnight (-1.25 is 1899-12-29 06:00), so
// negative values do not grow with time; arithmetic goes through the linear
// day count of toLinearDays/fromLinearDays. The calendar is the proleptic
// Gregorian one, and everything shown or set works in whole seconds.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

using DateTime = double;

inline constexpr DateTime kMinDateTime = -657434.0;  // 0100-01-01 00:00:00
inline constexpr DateTime kMaxDateTime = 2958465.0;  // 9999-12-31 00:00:00

// 1970-01-01 08:00:00, the start of the Unix second count on the Beijing
// clock. These exact bits lie a hair below a third of a day; splitting rounds
// them to 08:00:00.
inline constexpr DateTime kBeijingEpoch = std::bit_cast<double>(std::uint64_t{0x40D8F85555555555});

inline constexpr double kSecondInDays = 1.1574074074074073e-05;      // nearest double to 1/86400
inline constexpr double kHalfSecondInDays = 5.787037037037037e-06;   // nearest double to 1/172800

struct DateTimeParts {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t dayOfWeek = 0;  // 0 = Sunday .. 6 = Saturday

    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

// `v` when kMinDateTime <= v <= kMaxDateTime, else the nearer bound; a NaN
// gives kMaxDateTime.
DateTime clampDateTime(DateTime v);

// The calendar fields of an in-range `v`, rounded to the nearest second
// (a half second rounds up, carrying into the next day where it must).
DateTimeParts splitDateTime(DateTime v);

// The value of a valid set of fields (year 1..9999, month 1..12, day within
// the month, hour 0..23, minute and second 0..59); nullopt for any other set.
std::optional<DateTime> composeDateTime(std::int32_t year, std::int32_t month, std::int32_t day,
                                        std::int32_t hour, std::int32_t minute, std::int32_t second);

// The value of the fields after clamping each into its range (year 100..9999,
// day also to the length of its month), so any set of numbers gives a value.
// An omitted field counts as 1 for the date and 0 for the time.
DateTime makeDateTime(std::int32_t year = 1, std::int32_t month = 1, std::int32_t day = 1,
                      std::int32_t hour = 0, std::int32_t minute = 0, std::int32_t second = 0);

// The Chinese text form in code page 936, e.g. 2013年10月15日12时9分56秒:
// the date always, then the time with its trailing zero fields left out
// (12时9分, 12时, or nothing at midnight). Out-of-range values are clamped.
std::string dateTimeToText(DateTime v);

// The stored form as a day count that grows with time also before day 0,
// and back.
double toLinearDays(DateTime v);
DateTime fromLinearDays(double x);

// `v` moved by `seconds`; `v` is clamped first unless `seconds` is 0, the
// result is not clamped. The count is 64-bit so that instants after
// 2038-01-19 03:14:07 UTC can be expressed; for 32-bit counts the result is
// the same as a 32-bit count would give.
DateTime addSeconds(DateTime v, std::int64_t seconds);
