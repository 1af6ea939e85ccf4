// Arbitrary bytes as a time page body, as the texts of every text
// operation, and as a Content-Length value. The sanitizers catch what the operations must never do; the
// checks below catch results that break their contracts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sync/fetch.h"
#include "sync/time_page.h"
#include "values/date_time.h"
#include "values/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto time = beijingTimeFromPage(bytes)) {
        if (clampDateTime(*time) != *time) std::abort();
        if (dateTimeToText(*time).empty()) std::abort();
    }

    // Split the input into a text and two markers at its first two zero bytes.
    const std::string text = bytesToText(bytes);
    const std::string_view rest = bytes.substr(std::min(bytes.size(), text.size() + 1));
    const std::string left = bytesToText(rest);
    const std::string right = bytesToText(rest.substr(std::min(rest.size(), left.size() + 1)));
    const auto start = static_cast<std::int32_t>(size % 64) - 8;

    const std::int32_t found = findText(text, left, start);
    if (found != -1 && (found < 1 || text.compare(static_cast<std::size_t>(found - 1), left.size(), left) != 0)) {
        std::abort();
    }
    if (midText(text, start, static_cast<std::int32_t>(size)).size() > text.size()) std::abort();
    const std::string between = textBetween(text, left, right);
    if (between.size() > text.size()) std::abort();
    if (toHalfWidth(text).size() > text.size()) std::abort();
    (void)toInteger(text);
    (void)toNumber(text);
    (void)truncateToInteger(toNumber(text));
    (void)joinTexts({text, left, right});

    // Any Content-Length header value gives a usable chunk: never 0, 1 or
    // more than the cap.
    const std::uint32_t chunk = readChunkFor(std::string_view(text).substr(0, 40));
    if (chunk < 2 || chunk > kMaxReadChunk) std::abort();
    return 0;
}
