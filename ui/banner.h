// The home-page banner: a child window class that plays the animated banner
// GIF held in the program's resources, and the handler of a press on it.
#pragma once

#include <windows.h>

#include <cstdint>

inline constexpr wchar_t kBannerClass[] = L"TovrenBanner";

// Sent by a banner window to its parent when the left button goes down over
// it: wParam = MAKEWPARAM(control id, keys), lParam = the press position in
// the banner's client coordinates (as in WM_LBUTTONDOWN). keys is the sum of
// 1 for Ctrl, 2 for Shift and 4 for Alt.
inline constexpr UINT kControlPressed = WM_APP + 1;

// A read-only query a banner window answers (send it on the window's thread):
// wParam = a frame index; the result is how many milliseconds that frame of
// the decoded picture stays up, or 0 when the picture has no such frame (or
// none could be decoded), so the first index answering 0 is the frame count.
// For tests and diagnostics; the program itself never needs it.
inline constexpr UINT kBannerFrameTime = WM_USER + 0x100;

// What the banner needs for the program's lifetime: Windows' imaging started
// and the window class registered. Keep one alive while any banner exists.
class BannerSupport {
public:
    explicit BannerSupport(HINSTANCE instance);
    ~BannerSupport();
    BannerSupport(const BannerSupport&) = delete;
    BannerSupport& operator=(const BannerSupport&) = delete;

private:
    HINSTANCE instance_;
    ULONG_PTR imagingToken_ = 0;
};

// The handler of a left-button press on the banner: opens the maker's home
// page. x, y and keys are those of kControlPressed; none of them is used.
void onBannerPressed(std::int32_t x, std::int32_t y, std::int32_t keys);

// Hands `url` (code page 936) to the desktop's opener for the default browser
// and returns without waiting for it; an absent or empty url opens nothing.
void openUrl(const char* url);
