// The program keeps its texts in code page 936; Windows gets them as UTF-16,
// converted here explicitly, so the Chinese reads correctly whatever the
// system's ANSI code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// `gbk` (code page 936 bytes) as UTF-16; bytes that are not valid GBK become
// U+FFFD or the system's default character rather than being dropped.
inline std::wstring wideFromGbk(std::string_view gbk) {
    if (gbk.empty()) return {};
    constexpr UINT kChineseSimplified = 936;
    const int size = static_cast<int>(gbk.size());
    const int length = MultiByteToWideChar(kChineseSimplified, 0, gbk.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kChineseSimplified, 0, gbk.data(), size, wide.data(), length);
    return wide;
}
