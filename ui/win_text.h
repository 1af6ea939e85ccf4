// The program keeps its texts in code page 936; Windows gets them as UTF-16,
// converted here explicitly, so the Chinese reads correctly whatever the
// system's ANSI code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// `gbk` (code page 936 bytes) as UTF-16; bytes that are not valid GBK become
// U+FFFD or the system's default character rather than being dropped.
inline constexpr UINT kChineseSimplified = 936;

inline std::wstring wideFromGbk(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int size = static_cast<int>(gbk.size());
    const int length = MultiByteToWideChar(kChineseSimplified, 0, gbk.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kChineseSimplified, 0, gbk.data(), size, wide.data(), length);
    return wide;
}

// `wide` (zero-terminated) in code page 936; characters it lacks become its
// default character.
inline std::string gbkFromWide(const wchar_t* wide) {
    if (!wide || !*wide) return {};
    const int length = WideCharToMultiByte(kChineseSimplified, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(kChineseSimplified, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length - 1));  // the terminating zero
    return text;
}
