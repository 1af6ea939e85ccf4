#include "time_page.h"

#include <limits>

#include "values/text.h"

std::optional<DateTime> beijingTimeFromPage(std::string_view body) {
    const std::string page = bytesToText(body);
    const std::int32_t marker = findText(page, kTimeMarker);
    if (marker == -1) return std::nullopt;
    const std::int32_t start = marker + textLength(kTimeMarker);
    const std::int32_t end = findText(page, ")", start);
    if (end == -1) return std::nullopt;

    const std::optional<double> milliseconds = readNumber(midText(page, start, end - start));
    if (!milliseconds) return std::nullopt;
    // Truncation drops the fraction of a second toward zero, for counts
    // before 1970 too (-1.5 s becomes -1 s).
    const std::int64_t seconds = truncateToInteger(*milliseconds / 1000.0);
    if (seconds == std::numeric_limits<std::int64_t>::min()) return std::nullopt;

    const DateTime beijing = addSeconds(kBeijingEpoch, seconds);
    if (clampDateTime(beijing) != beijing) return std::nullopt;
    return beijing;
}
