// The home-page opener: hands an address to whatever the desktop has
// registered for it, normally the default browser.
#include <windows.h>
#include <shellapi.h>

#include "build_config.h"
#include "ui/banner.h"
#include "ui/win_text.h"

void openUrl(const char* url) {
    // An absent or empty address opens nothing: ShellExecute would take ""
    // for the current folder and show it in the file manager.
    if (!url || !*url) return;
    // Old Internet Explorer's frame, when it is open, becomes the owner of
    // any message the shell shows about the hand-over; usually there is none.
    HWND owner = FindWindowExW(nullptr, nullptr, nullptr, L"Microsoft Internet Explorer");
    // Whether a browser came up is not ours to report: the shell shows its
    // own message when nothing handles http.
    ShellExecuteW(owner, L"open", wideFromGbk(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void onBannerPressed(std::int32_t, std::int32_t, std::int32_t) { openUrl(kHomePageAddress); }
