// The real program under Wine, seen from outside: its window, its controls,
// the clock label, the sync button against the loopback time server, the
// ways to close it and the banner's hand-over to the browser.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "build_config.h"
#include "program_driver.h"
#include "support/gbk.h"
#include "support/test_env.h"
#include "sync/fetch.h"
#include "ui/banner.h"
#include "ui/clock_label.h"
#include "ui/handles.h"
#include "ui/win_text.h"
#include "values/date_time.h"

namespace {

// This machine's local time to the whole second, read independently of the
// program.
DateTime driverNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return composeDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond).value_or(0.0);
}

// The label text for the local time `when`, as Windows holds it.
std::wstring labelFor(DateTime when) { return wideFromGbk(gbk("本机当前时间：") + dateTimeToText(when)); }

// True when `text` is the label for this machine's clock now or up to two
// seconds back: the label runs up to a second behind the clock, and a tick
// delivered late shows the second it was taken in.
bool showsCurrentTime(const std::wstring& text) {
    const DateTime now = driverNow();
    for (int back = 0; back <= 2; ++back) {
        if (text == labelFor(addSeconds(now, -back))) return true;
    }
    return false;
}

// Names a parameterised case after its table row, in test names and in
// failure messages.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& row) {
    return row.param.name;
}

constexpr int kWindowWidth = 380;
constexpr int kWindowHeight = 250;

TEST(MainWindow, OpensCentredWithItsFrameAndControls) {
    ProgramRun program;
    ASSERT_TRUE(program.started()) << "the program's window did not appear";
    EXPECT_EQ(program.firstLabelText(), wideText("标签")) << "the label must read 标签 until the first tick";
    ASSERT_TRUE(program.waitUntilShown());
    const HWND window = program.mainWindow();

    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, kWindowWidth);
    EXPECT_EQ(frame.bottom - frame.top, kWindowHeight);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2);

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    // Windows adds the raised edge to every captioned window by itself.
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u) << std::hex << exStyle;

    // No taskbar button: the window is owned by an invisible tool window.
    const HWND owner = GetWindow(window, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(windowText(owner), L"");
    DWORD ownerProcess = 0;
    GetWindowThreadProcessId(owner, &ownerProcess);
    EXPECT_EQ(ownerProcess, program.processId());

    // The timer has no window: three children, in their places.
    struct Expected {
        HWND control;
        const char* name;
        RECT place;
    };
    const Expected controls[] = {
        {program.banner(), "图片框1", {144, 176, 144 + 88, 176 + 32}},
        {program.label(), "标签1", {72, 40, 72 + 240, 40 + 24}},
        {program.button(), "按钮1", {120, 120, 120 + 128, 120 + 32}},
    };
    int children = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, 3);
    for (const Expected& c : controls) {
        const RECT place = placeInParent(c.control);
        EXPECT_EQ(place.left, c.place.left) << c.name;
        EXPECT_EQ(place.top, c.place.top) << c.name;
        EXPECT_EQ(place.right, c.place.right) << c.name;
        EXPECT_EQ(place.bottom, c.place.bottom) << c.name;
        EXPECT_TRUE(IsWindowVisible(c.control)) << c.name;
        EXPECT_TRUE(IsWindowEnabled(c.control)) << c.name;
        // Only the button takes the keyboard focus by Tab.
        const bool tabStop = (GetWindowLongPtrW(c.control, GWL_STYLE) & WS_TABSTOP) != 0;
        EXPECT_EQ(tabStop, c.control == program.button()) << c.name;
    }

    EXPECT_EQ(windowText(program.button()), L"Sorvalin");
    const auto buttonStyle = static_cast<DWORD>(GetWindowLongPtrW(program.button(), GWL_STYLE));
    EXPECT_EQ(buttonStyle & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << "a plain push button, not the default";
    EXPECT_TRUE(buttonStyle & BS_MULTILINE);
}

TEST(ClockLabel, ShowsTheLocalTimeAndKeepsItCurrent) {
    ProgramRun program;
    ASSERT_TRUE(program.started());
    std::wstring shown;
    ASSERT_TRUE(waitUntil([&] { return showsCurrentTime(shown = windowText(program.label())); }))
        << "the label reads " << testing::PrintToString(shown);
    const std::wstring first = shown;
    EXPECT_TRUE(waitUntil([&] {
        shown = windowText(program.label());
        return shown != first && showsCurrentTime(shown);
    })) << "the label stopped at the first reading";
}

// The colours on screen within `window`'s client area, as 0x00RRGGBB.
std::vector<std::uint32_t> screenPixels(HWND window, int& width, int& height) {
    RECT area{};
    GetClientRect(window, &area);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
    width = area.right - area.left;
    height = area.bottom - area.top;
    const WindowDC screen(nullptr);
    const MemoryDC memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const GdiObject bitmap(CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    {
        const SelectionGuard select(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
    }
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> colours(pixels, pixels + static_cast<std::size_t>(width) * height);
    for (std::uint32_t& colour : colours) colour &= 0xFFFFFFu;
    return colours;
}

// The label paints blue text over the button face: no black text, no white
// box, no pixel that is not a mix of those two colours.
TEST(ClockLabel, DrawsBlueTextOnTheButtonFace) {
    ProgramRun program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitUntil([&] { return showsCurrentTime(windowText(program.label())); }));
    // The repaint follows the new text when the program next handles paint
    // messages, so the screen is read until the text shows.
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const auto red = [](std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); };
    const auto green = [](std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); };
    const auto blue = [](std::uint32_t c) { return static_cast<int>(c & 0xFF); };
    int bluePixels = 0;
    ASSERT_TRUE(waitUntil([&] {
        pixels = screenPixels(program.label(), width, height);
        bluePixels = 0;
        for (const std::uint32_t c : pixels) bluePixels += blue(c) - std::max(red(c), green(c)) > 120;
        return bluePixels > 20;
    })) << "no blue text on screen";
    ASSERT_EQ(pixels.size(), 240u * 24u);
    const std::uint32_t faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    int facePixels = 0;
    int foreign = 0;
    for (const std::uint32_t c : pixels) {
        facePixels += c == faceRgb;
        foreign += blue(c) + 8 < std::max(red(c), green(c));
    }
    EXPECT_GT(facePixels, static_cast<int>(pixels.size()) / 2) << "the label's background is not the button face";
    EXPECT_EQ(foreign, 0) << "pixels that are neither face nor blue";
}

struct SyncCase {
    const char* name;
    const char* mode;     // of the time server
    const char* boxText;  // UTF-8
};

void PrintTo(const SyncCase& row, std::ostream* out) { *out << row.name; }

class SyncButton : public testing::TestWithParam<SyncCase> {
protected:
    void TearDown() override { fetchPage(timeServerAddress("/__reset").c_str()); }
};

TEST_P(SyncButton, EndsInTheBoxThatSaysHowItWent) {
    ASSERT_EQ(fetchPage(timeServerAddress(std::string("/__mode/") + GetParam().mode).c_str()), "ok")
        << "the time server at " << timeServerAddress("") << " did not answer; scripts/test starts it";
    ProgramRun program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilShown());

    // Posted: the click handler does not return until the box is closed.
    ASSERT_TRUE(PostMessageW(program.button(), BM_CLICK, 0, 0));
    const std::wstring title = wideText("Tovren提示你");
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = findTopLevelWindow(program.processId(), L"#32770", title)) != nullptr; }))
        << "no box titled Tovren提示你";
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), wideText(GetParam().boxText));
    EXPECT_FALSE(IsWindowEnabled(program.mainWindow())) << "the box is task-modal";

    // The box runs a message loop of its own, so the clock keeps ticking.
    const std::wstring behind = windowText(program.label());
    EXPECT_TRUE(waitUntil([&] {
        const std::wstring now = windowText(program.label());
        return now != behind && showsCurrentTime(now);
    })) << "the label stood still behind the box";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(program.mainWindow()) != FALSE; }));
}

// Wine accepts a new time only within half a second of the clock and never
// moves the host's clock: "now" is accepted, a day ahead refused.
INSTANTIATE_TEST_SUITE_P(
    Modes, SyncButton,
    testing::Values(SyncCase{"Now", "now", "已同步！！ \r\n如果好用请介绍给你的朋友！"},
                    SyncCase{"EmptyPage", "empty", "同步失败：未能从网络取得北京时间，本机时间未改动。"},
                    SyncCase{"DayAhead", "offset:86400",
                             "同步失败：没有修改本机时间的权限，请以管理员身份运行本程序。"}),
    caseName<SyncCase>);

// Key messages as a keyboard would queue them for the focused window.
void postKey(HWND target, UINT down, UINT up, WPARAM key, LPARAM flags) {
    const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    const LPARAM base = 1 | (static_cast<LPARAM>(scanCode) << 16) | flags;
    PostMessageW(target, down, key, base);
    PostMessageW(target, up, key, base | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

constexpr LPARAM kAltHeld = LPARAM{1} << 29;

struct CloseCase {
    const char* name;
    void (*close)(const ProgramRun&);
};

void PrintTo(const CloseCase& row, std::ostream* out) { *out << row.name; }

class Closing : public testing::TestWithParam<CloseCase> {};

TEST_P(Closing, EndsTheProgramWithExitCodeZero) {
    ProgramRun program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilShown());
    GetParam().close(program);
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(program.waitForExit(code)) << "the program is still running";
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Closing,
    testing::Values(
        CloseCase{"EscOnTheWindow",
                  [](const ProgramRun& p) { postKey(p.mainWindow(), WM_KEYDOWN, WM_KEYUP, VK_ESCAPE, 0); }},
        // The keyboard sends keys to the focused window: with the button
        // focused, Esc arrives at the button.
        CloseCase{"EscOnTheFocusedButton",
                  [](const ProgramRun& p) { postKey(p.button(), WM_KEYDOWN, WM_KEYUP, VK_ESCAPE, 0); }},
        CloseCase{"AltF4",
                  [](const ProgramRun& p) { postKey(p.mainWindow(), WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F4, kAltHeld); }},
        // What the close button and the system menu's Close send.
        CloseCase{"SystemMenuClose",
                  [](const ProgramRun& p) { PostMessageW(p.mainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    caseName<CloseCase>);

TEST(Banner, APressHandsTheHomePageToTheBrowser) {
    const std::optional<std::wstring> capture = browserCaptureFile();
    ASSERT_TRUE(capture) << "BROWSER_CAPTURE_FILE is not set; scripts/test captures the browser";
    const std::wstring& path = *capture;
    const std::size_t linesBefore = fileLines(path).size();

    ProgramRun program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilShown());
    // On the bottom row, which the 31-pixel picture leaves uncovered.
    PostMessageW(program.banner(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 31));
    PostMessageW(program.banner(), WM_LBUTTONUP, 0, MAKELPARAM(40, 31));
    std::vector<std::string> lines;
    EXPECT_TRUE(waitUntil(
        [&] {
            lines = fileLines(path);
            return lines.size() > linesBefore;
        },
        std::chrono::milliseconds(20000)))
        << "nothing reached the browser";
    if (lines.size() > linesBefore) {
        EXPECT_EQ(lines[linesBefore], kHomePageAddress);
    }
}

}  // namespace
