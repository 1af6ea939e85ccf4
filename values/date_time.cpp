#include "date_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::weekday;
using std::chrono::year_month_day;
using std::chrono::year_month_day_last;

constexpr sys_days kDayZero = sys_days{std::chrono::year{1899} / std::chrono::December / 30};

// Unit characters of the text form, in code page 936.
constexpr char kYear[] = "\xC4\xEA";    // 年
constexpr char kMonth[] = "\xD4\xC2";   // 月
constexpr char kDay[] = "\xC8\xD5";     // 日
constexpr char kHour[] = "\xCA\xB1";    // 时
constexpr char kMinute[] = "\xB7\xD6";  // 分
constexpr char kSecond[] = "\xC3\xEB";  // 秒

}  // namespace

DateTime clampDateTime(DateTime v) {
    if (!(v <= kMaxDateTime)) return kMaxDateTime;
    if (v < kMinDateTime) return kMinDateTime;
    return v;
}

DateTimeParts splitDateTime(DateTime v) {
    const double r = v > 0 ? v + kHalfSecondInDays : v - kHalfSecondInDays;
    const double magnitude = std::fabs(r);
    const auto secondOfDay = static_cast<std::int32_t>((magnitude - std::floor(magnitude)) * 86400.0);

    double dayNumber = std::trunc(r);
    if (v < 0) {
        // A negative value keeps the day of its own whole part, unless its
        // time of day rounds up to the following midnight: then the fraction
        // of |r| has wrapped past a whole day and the date is the next one
        // (the day number one closer to zero, or day 1 from inside day 0).
        dayNumber = std::trunc(v);
        if (std::floor(magnitude) > std::floor(std::fabs(v))) dayNumber += 1;
    }

    const sys_days date = kDayZero + days{static_cast<std::int32_t>(dayNumber)};
    const year_month_day ymd{date};
    return DateTimeParts{
        .year = static_cast<int>(ymd.year()),
        .month = static_cast<std::int32_t>(static_cast<unsigned>(ymd.month())),
        .day = static_cast<std::int32_t>(static_cast<unsigned>(ymd.day())),
        .hour = secondOfDay / 3600,
        .minute = secondOfDay / 60 % 60,
        .second = secondOfDay % 60,
        .dayOfWeek = static_cast<std::int32_t>(weekday{date}.c_encoding()),
    };
}

std::optional<DateTime> composeDateTime(std::int32_t year, std::int32_t month, std::int32_t day,
                                        std::int32_t hour, std::int32_t minute, std::int32_t second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
    const year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                             std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;

    const double d = static_cast<double>((sys_days{ymd} - kDayZero).count());
    const double f = static_cast<double>(hour * 3600 + minute * 60 + second) * kSecondInDays;
    return d >= 0 ? d + f : d - f;
}

DateTime makeDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                      std::int32_t minute, std::int32_t second) {
    year = std::clamp(year, 100, 9999);
    month = std::clamp(month, 1, 12);
    const auto last = year_month_day_last{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} / std::chrono::last};
    day = std::clamp(day, 1, static_cast<std::int32_t>(static_cast<unsigned>(last.day())));
    hour = std::clamp(hour, 0, 23);
    minute = std::clamp(minute, 0, 59);
    second = std::clamp(second, 0, 59);
    // Every field is valid now, so the composition cannot be refused.
    return *composeDateTime(year, month, day, hour, minute, second);
}

std::string dateTimeToText(DateTime v) {
    const DateTimeParts p = splitDateTime(clampDateTime(v));
    std::string text = std::to_string(p.year) + kYear + std::to_string(p.month) + kMonth +
                       std::to_string(p.day) + kDay;
    if (p.second != 0) {
        text += std::to_string(p.hour) + kHour + std::to_string(p.minute) + kMinute +
                std::to_string(p.second) + kSecond;
    } else if (p.minute != 0) {
        text += std::to_string(p.hour) + kHour + std::to_string(p.minute) + kMinute;
    } else if (p.hour != 0) {
        text += std::to_string(p.hour) + kHour;
    }
    return text;
}

double toLinearDays(DateTime v) {
    if (v >= 0) return v;
    const double c = std::ceil(v);
    return c - (v - c);
}

DateTime fromLinearDays(double x) {
    if (x >= 0) return x;
    const double f = std::floor(x);
    return f + (f - x);
}

DateTime addSeconds(DateTime v, std::int64_t seconds) {
    if (seconds == 0) return v;
    const double linear = toLinearDays(clampDateTime(v));
    // Converting before negating keeps -2^63 exact and free of overflow.
    const double magnitude = seconds < 0 ? -static_cast<double>(seconds) : static_cast<double>(seconds);
    const double span = magnitude * kSecondInDays;
    return fromLinearDays(seconds > 0 ? linear + span : linear - span);
}
