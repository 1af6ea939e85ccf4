#include "support/gbk.h"

#include <iconv.h>

#include <cstdlib>
#include <memory>

std::string gbk(std::string_view utf8) {
    const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("GBK", "UTF-8"), iconv_close);
    if (cd.get() == reinterpret_cast<iconv_t>(-1)) std::abort();
    std::string in(utf8);
    std::string out(utf8.size() * 2 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size();
    std::size_t dstLeft = out.size();
    if (iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) std::abort();
    out.resize(out.size() - dstLeft);
    return out;
}
