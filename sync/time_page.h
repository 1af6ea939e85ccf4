// Reading Beijing time out of the body of the time page.
#pragma once

#include <optional>
#include <string_view>

#include "values/date_time.h"

// The page announces the current instant as window.baidu_time(<ms>), a count
// of milliseconds since 1970-01-01 00:00:00 UTC.
inline constexpr std::string_view kTimeMarker = "window.baidu_time(";

// Beijing time (UTC+8) of the first window.baidu_time(...) in `body`, the
// fraction of a second dropped toward zero; only the bytes before the first
// zero byte count. nullopt when the body carries no readable time: no marker,
// no ")" after it, no number between them, or an instant whose Beijing date
// lies outside the DateTime range. An unreadable page is never passed off as
// 1970-01-01 08:00:00.
std::optional<DateTime> beijingTimeFromPage(std::string_view body);
