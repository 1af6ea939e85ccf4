#include "fetch.h"

namespace {

// The C locale's white space, which is what a header value may be padded with.
constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The buffer HttpQueryInfoA is given holds 31 characters and the terminator;
// a longer value never reaches the rule on Windows, and is ignored here alike.
constexpr std::size_t kMaxContentLengthText = 31;

}  // namespace

std::uint32_t readChunkFor(std::optional<std::string_view> contentLength) {
    if (!contentLength || contentLength->size() > kMaxContentLengthText) return kDefaultReadChunk;
    const std::string_view text = *contentLength;

    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Saturates instead of wrapping: a 31-digit length must not come out as
    // some small or negative number, only as "more than one chunk".
    std::uint32_t n = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (n < kMaxReadChunk) n = n * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative || n == 0) return kDefaultReadChunk;
    return n >= kMaxReadChunk - 1 ? kMaxReadChunk : n + 1;
}
