// Fetching the time page: one HTTP GET whose answer body comes back as bytes.
//
// The read-chunk rule is portable and lives in fetch.cpp; the exchange itself
// uses WinINet and lives in fetch_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "values/text.h"

// Bytes asked for per read when the answer does not announce its length.
inline constexpr std::uint32_t kDefaultReadChunk = 10240;
// The largest read: big enough that a time page arrives in one read, small
// enough that a bogus Content-Length cannot make us allocate without bound.
inline constexpr std::uint32_t kMaxReadChunk = 102400;
// The time page is a few hundred bytes. Reading stops at this many bytes so
// that a server streaming without end cannot exhaust the program's memory;
// what arrived up to the bound is kept.
inline constexpr std::size_t kMaxBodyBytes = 4 * 1024 * 1024;

// Sent as User-Agent: the portal serves the plain script page to this agent.
inline constexpr char kTimePageUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The number of bytes to ask for in each read of a body whose Content-Length
// header reads `contentLength` (nullopt when the answer has none). A value of
// at most 31 characters is read as a decimal n (leading white space, an
// optional sign, then digits up to the first other character; no digits is
// 0); n >= 1 gives n + 1, so that an announced body arrives in one read and
// the next read reports its end, capped at kMaxReadChunk. Anything else gives
// kDefaultReadChunk.
std::uint32_t readChunkFor(std::optional<std::string_view> contentLength);

// The body of the answer to one GET of the http `address`, whatever its
// status, after redirects; at most kMaxBodyBytes of it. Empty when the
// address is not http, cannot be split, or no answer arrives; the bytes read
// so far when the answer breaks off. Never throws, shows or logs anything.
ByteData fetchPage(const char* address);

// fetchPage(kTimePageAddress): the body of the time page, empty on failure.
ByteData fetchTimePage();
