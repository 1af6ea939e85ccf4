// Text operations over byte strings.
//
// A text is a sequence of code page 936 (GBK) bytes with no zero byte in it;
// an absent text and the empty text are the same value, so std::string and
// std::string_view serve directly. Lengths and positions count bytes and
// positions are 1-based, with -1 for "not found". A byte of 0x80 or above is
// taken as the first byte of a two-byte character (the top bit alone decides,
// not the exact GBK lead-byte range).
//
// Byte data, such as an HTTP body, is a counted run of bytes that may hold
// zero bytes; std::string holds it as well.
//
// Nothing here throws or reports an error: a failed search gives -1, a cut
// outside the text gives the empty text, and a text that does not begin with
// a number converts to 0.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

using ByteData = std::string;

// The number of bytes in `text`.
std::int32_t textLength(std::string_view text);

// The 1-based position of the first occurrence of `search` in `text` at or
// after `start` (below 1 counts as 1), stepping over two-byte characters so
// that a match only begins on a character boundary; -1 when there is none.
// The position counts from the beginning of `text`. An empty `search` is
// found at position 1 whenever the searched range is not empty.
std::int32_t findText(std::string_view text, std::string_view search, std::int32_t start = 1);

// `count` bytes of `text` from position `start` on, fewer when the text ends
// first; empty when `start` lies outside the text or `count` is not positive.
std::string midText(std::string_view text, std::int32_t start, std::int32_t count);

// The texts one after another.
std::string joinTexts(std::initializer_list<std::string_view> texts);

// A copy of `text` with the full-width ASCII forms (A3 A1..A3 FE), the
// ideographic space, the full-width tilde and the two stars replaced by
// their one-byte ASCII counterparts; everything else is copied unchanged.
std::string toHalfWidth(std::string_view text);

// The integer that the beginning of `text` spells (after toHalfWidth and
// leading white space): an optional sign and decimal digits, taken modulo
// 2^32 as a two's-complement 32-bit value. 0 when there are no digits.
std::int32_t toInteger(std::string_view text);

// The number that the beginning of `text` spells, correctly rounded, if it
// begins with one: optional sign, digits with an optional "." (at least one
// digit in all), and an optional exponent introduced by e, E, d or D that
// counts only when a digit follows it (and its sign). No hex, inf or nan.
std::optional<double> readNumber(std::string_view text);

// readNumber's value, or 0 when the text does not begin with a number.
double toNumber(std::string_view text);

// The bytes of `data` before its first zero byte, as a text.
std::string bytesToText(std::string_view data);

// `x` rounded toward zero; a NaN or a value whose whole part lies outside the
// signed 64-bit range gives -2^63.
std::int64_t truncateToInteger(double x);

// The text between the first occurrence of `left` and the next occurrence of
// `right` after it; empty when `right` does not follow, when `text` ends right
// after `left`, or when both markers are missing. (With `left` missing and
// `right` present the result follows from the position arithmetic alone,
// which no caller depends on.)
std::string textBetween(std::string_view text, std::string_view left, std::string_view right);
