#include <windows.h>
#include <shellapi.h>

#include "build_config.h"
#include "ui/banner.h"
#include "ui/win_text.h"

void openUrl(const char* url) {
    HWND owner = FindWindowExW(nullptr, nullptr, nullptr, L"Microsoft Internet Explorer");
    ShellExecuteW(owner, L"open", wideFromGbk(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void onBannerPressed(std::int32_t, std::int32_t, std::int32_t) { openUrl(kHomePageAddress); }
