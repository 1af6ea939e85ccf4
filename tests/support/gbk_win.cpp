#include "support/gbk.h"

#include <windows.h>

#include <cstdlib>

std::string gbk(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(utf8.size(), L'\0');
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), size);
    if (wideLength <= 0) std::abort();
    std::string out(utf8.size() * 2, '\0');
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(936, 0, wide.data(), wideLength, out.data(),
                                           static_cast<int>(out.size()), nullptr, &lossy);
    if (length <= 0 || lossy) std::abort();
    out.resize(static_cast<std::size_t>(length));
    return out;
}
