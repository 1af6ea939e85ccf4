// Placeholder until the animation lands: paints the background and reports presses.
#include "ui/banner.h"

namespace {

LRESULT CALLBACK bannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            const int keys = ((wParam & MK_CONTROL) ? 1 : 0) | ((wParam & MK_SHIFT) ? 2 : 0) |
                             (GetKeyState(VK_MENU) < 0 ? 4 : 0);
            SendMessageW(GetParent(window), kControlPressed,
                         MAKEWPARAM(GetDlgCtrlID(window), keys), lParam);
            return 0;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

BannerSupport::BannerSupport(HINSTANCE instance) : instance_(instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = bannerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kBannerClass;
    RegisterClassExW(&wc);
}

BannerSupport::~BannerSupport() { UnregisterClassW(kBannerClass, instance_); }
