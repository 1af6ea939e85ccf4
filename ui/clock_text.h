// The text of the clock label, kept apart from the window code so that every
// shape of it is checked on every build.
#pragma once

#include <string>

#include "values/date_time.h"

// 本机当前时间： ("this machine's current time:"), ending in the full-width
// colon with no space after it.
inline constexpr char kClockPrefix[] = "\xB1\xBE\xBB\xFA\xB5\xB1\xC7\xB0\xCA\xB1\xBC\xE4\xA3\xBA";

// The label text for the local time `now`: kClockPrefix immediately followed
// by the Chinese text form of `now`, e.g. 本机当前时间：2013年10月15日12时9分56秒
// (code page 936, at most 40 bytes).
std::string clockLabelText(DateTime now);
