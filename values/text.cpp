#include "text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view skipWhiteSpace(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isWhiteSpace(s[i])) ++i;
    return s.substr(i);
}

// The one-byte form of the two-byte character (lead, trail), or 0 when it
// has none.
char halfWidthOf(unsigned char lead, unsigned char trail) {
    if (lead == 0xA1) {
        switch (trail) {
            case 0xA1: return ' ';
            case 0xAB: return '~';
            case 0xEE:
            case 0xEF: return '*';
            default: return 0;
        }
    }
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
    return 0;
}

}  // namespace

std::int32_t textLength(std::string_view text) { return static_cast<std::int32_t>(text.size()); }

std::int32_t findText(std::string_view text, std::string_view search, std::int32_t start) {
    const std::size_t n = text.size();
    const std::size_t b = start >= 2 ? static_cast<std::size_t>(start) - 1 : 0;
    if (b >= n) return -1;
    if (search.empty()) return 1;
    const std::size_t m = search.size();
    std::size_t p = b;
    while (n - p >= m) {
        if (text.compare(p, m, search) == 0) return static_cast<std::int32_t>(p + 1);
        if (isLeadByte(text[p])) {
            if (p == n - 1) break;
            p += 2;
        } else {
            p += 1;
        }
    }
    return -1;
}

std::string midText(std::string_view text, std::int32_t start, std::int32_t count) {
    // 64-bit so that start - 1 cannot overflow for start = INT32_MIN.
    const std::int64_t pos = static_cast<std::int64_t>(start) - 1;
    const auto n = static_cast<std::int64_t>(text.size());
    if (pos < 0 || pos >= n || count <= 0) return {};
    return std::string(text.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(count)));
}

std::string joinTexts(std::initializer_list<std::string_view> texts) {
    std::size_t size = 0;
    for (auto t : texts) size += t.size();
    std::string joined;
    joined.reserve(size);
    for (auto t : texts) joined += t;
    return joined;
}

std::string toHalfWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (isLeadByte(text[i]) && i + 1 < text.size()) {
            const char half = halfWidthOf(static_cast<unsigned char>(text[i]),
                                          static_cast<unsigned char>(text[i + 1]));
            if (half != 0) {
                out += half;
            } else {
                out += text.substr(i, 2);
            }
            i += 2;
        } else {
            out += text[i];
            i += 1;
        }
    }
    return out;
}

std::int32_t toInteger(std::string_view text) {
    const std::string half = toHalfWidth(text);
    std::string_view s = skipWhiteSpace(half);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // Unsigned arithmetic wraps modulo 2^32 by definition, which is exactly
    // the overflow behaviour callers rely on.
    std::uint32_t value = 0;
    for (char c : s) {
        if (!isDigit(c)) break;
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::optional<double> readNumber(std::string_view text) {
    const std::string half = toHalfWidth(text);
    const std::string_view s = skipWhiteSpace(half);

    // Recognise the prefix here and rewrite it in the form from_chars takes:
    // no leading "+", and "e" for the Fortran-style exponent letters d and D.
    std::string spelled;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') spelled += '-';
        ++i;
    }
    const auto takeDigits = [&] {
        const std::size_t from = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        spelled += s.substr(from, i - from);
        return i - from;
    };
    std::size_t digits = takeDigits();
    if (i < s.size() && s[i] == '.') {
        spelled += '.';
        ++i;
        digits += takeDigits();
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            spelled += 'e';
            spelled += s.substr(i + 1, j - (i + 1));
            i = j;
            takeDigits();
        }
    }

    double value = 0;
    const char* first = spelled.data();
    const char* last = first + spelled.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; strtod
        // gives the rounded result (an infinity or a zero of the right sign).
        // The program never changes the C locale, so "." is the decimal point.
        return std::strtod(spelled.c_str(), nullptr);
    }
    if (ec != std::errc{} || end != last) return std::nullopt;
    return value;
}

double toNumber(std::string_view text) { return readNumber(text).value_or(0.0); }

std::string bytesToText(std::string_view data) { return std::string(data.substr(0, data.find('\0'))); }

std::int64_t truncateToInteger(double x) {
    constexpr std::int64_t kInvalid = std::numeric_limits<std::int64_t>::min();
    if (std::isnan(x)) return kInvalid;
    const double whole = std::trunc(x);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (whole < -9223372036854775808.0 || whole >= 9223372036854775808.0) return kInvalid;
    return static_cast<std::int64_t>(whole);
}

std::string textBetween(std::string_view text, std::string_view left, std::string_view right) {
    const std::int32_t length = textLength(text);
    const std::int32_t a = findText(text, left);
    const std::int32_t start = a + textLength(left);
    const std::string rest = midText(text, start, length);
    const std::int32_t e = findText(rest, right);
    return midText(rest, 1, e - 1);
}
