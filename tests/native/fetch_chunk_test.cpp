#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sync/fetch.h"

namespace {

struct ChunkCase {
    std::optional<std::string> contentLength;
    std::uint32_t expected;
};

TEST(ReadChunkFor, ContentLengthDecidesTheChunk) {
    const std::string thirtyOneDigits(31, '9');
    const ChunkCase cases[] = {
        // No usable length: the default chunk.
        {std::nullopt, kDefaultReadChunk},
        {"", kDefaultReadChunk},
        {"0", kDefaultReadChunk},
        {"-0", kDefaultReadChunk},
        {"-5", kDefaultReadChunk},
        {"abc", kDefaultReadChunk},
        {"+", kDefaultReadChunk},
        {"- 5", kDefaultReadChunk},      // white space only before the sign
        {"0x10", kDefaultReadChunk},     // decimal only: reads as 0
        {"--5", kDefaultReadChunk},
        {"-99999999999999999999", kDefaultReadChunk},  // a huge negative stays negative
        // A known length: one byte more than the body, so the read after it reports the end.
        {"1", 2},
        {"42", 43},
        {"10239", 10240},
        {"102398", 102399},                  // just under the cap
        {"102399", kMaxReadChunk},           // exactly at the cap, not 102400 + 1
        {"102400", kMaxReadChunk},
        {"200000", kMaxReadChunk},
        // The number is the leading digits after white space and a sign.
        {" 42", 43},
        {"\t\r\n\v\f42", 43},
        {"+42", 43},
        {"42abc", 43},
        {"42 17", 43},
        {"00042", 43},
        // Digit strings that overflow 32 and 64 bits are still "huge", never wrapped.
        {"4294967297", kMaxReadChunk},   // 2^32 + 1: would wrap to 1
        {"18446744073709551617", kMaxReadChunk},  // 2^64 + 1
        {thirtyOneDigits, kMaxReadChunk},
        // Up to 31 characters count; a longer value is ignored altogether.
        {std::string(29, ' ') + "42", 43},
        {std::string(30, ' ') + "42", kDefaultReadChunk},
        {std::string(31, '0'), kDefaultReadChunk},
        {std::string(30, '0') + "7", 8},
        {std::string(31, '0') + "7", kDefaultReadChunk},
        {thirtyOneDigits + "9", kDefaultReadChunk},
    };
    for (const auto& c : cases) {
        const std::optional<std::string_view> value =
            c.contentLength ? std::optional<std::string_view>(*c.contentLength) : std::nullopt;
        EXPECT_EQ(readChunkFor(value), c.expected)
            << "Content-Length " << (c.contentLength ? "\"" + *c.contentLength + "\"" : "absent");
    }
}

}  // namespace
