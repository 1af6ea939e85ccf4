#include "ui/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "sync/sync_clock.h"
#include "ui/banner.h"
#include "ui/centring.h"
#include "ui/clock_label.h"
#include "ui/win_text.h"
#include "ui/window_class.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"TovrenMainWindow";
constexpr wchar_t kApplicationWindowClass[] = L"TovrenApplication";

constexpr char kMainWindowName[] = "mainWindow";
// Tovren一键同步本机时间为北京时间
constexpr char kTitle[] = "Tovren\xD2\xBB\xBC\xFC\xCD\xAC\xB2\xBD\xB1\xBE\xBB\xFA\xCA\xB1\xBC\xE4\xCE\xAA\xB1\xB1\xBE\xA9\xCA\xB1\xBC\xE4";
constexpr int kWindowWidth = 380;
constexpr int kWindowHeight = 250;
// A fixed dialog-type frame with the close button only: no sizing border, no
// minimise or maximise box. WS_CLIPCHILDREN keeps the background erase off
// the banner, which another thread draws into.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

enum class ControlKind { PictureBox, Timer, Label, Button };

// One control of mainWindow. Positions are in the window's client area;
// names and texts are code page 936.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    int left;
    int top;
    int width;
    int height;
    bool shown;
    const char* text;
};

// In creation order. The timer has a place and size only because every
// control has one; they have no effect.
constexpr std::array<ControlSpec, 4> kControls{{
    {kBannerBoxName, ControlKind::PictureBox, 144, 176, 88, 32, true, ""},
    {kClockTimerName, ControlKind::Timer, 24, 32, 26, 26, false, ""},
    {kClockLabelName, ControlKind::Label, 72, 40, 240, 24, true, "\xB1\xEA\xC7\xA9"},  // 标签
    {kSyncButtonName, ControlKind::Button, 120, 120, 128, 32, true, "Sorvalin"},
}};

// Control i has the id (and, for the timer, the timer id) kFirstControlId + i.
// Well clear of IDOK and IDCANCEL, so that a stray dialog command never passes
// for a click on a control.
constexpr int kFirstControlId = 100;
constexpr UINT kTickPeriodMs = 1000;

enum class EventKind { Created, Clicked, PeriodElapsed, LeftButtonPressed };

using PlainHandler = void (*)();
using PressHandler = void (*)(std::int32_t x, std::int32_t y, std::int32_t keys);

struct Binding {
    const char* source;
    EventKind event;
    std::variant<PlainHandler, PressHandler> handler;
};

// Every bound event; any other event of the window or its controls does
// nothing.
const std::array<Binding, 4> kBindings{{
    {kMainWindowName, EventKind::Created, PlainHandler{onWindowCreated}},
    {kSyncButtonName, EventKind::Clicked, PlainHandler{onSyncButtonClicked}},
    {kClockTimerName, EventKind::PeriodElapsed, PlainHandler{onClockTick}},
    {kBannerBoxName, EventKind::LeftButtonPressed, PressHandler{onBannerPressed}},
}};

// Where and with which modifier keys a press happened, for press handlers.
struct Press {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t keys = 0;
};

struct MainWindowState {
    // Off while the window is being built: an event falling due then is
    // dropped rather than reaching a handler before every control exists.
    bool eventsReleased = false;
    bool destroyed = false;
};

// The live mainWindow, for controlWindow; the program has at most one.
HWND liveMainWindow = nullptr;

// Calls the handler bound to `event` of `source`, if any; nothing while the
// window is still being built.
void fire(const MainWindowState& state, std::string_view source, EventKind event, Press press = {}) {
    if (!state.eventsReleased) return;
    for (const Binding& binding : kBindings) {
        if (binding.event != event || source != binding.source) continue;
        if (const auto* plain = std::get_if<PlainHandler>(&binding.handler)) {
            (*plain)();
        } else {
            std::get<PressHandler>(binding.handler)(press.x, press.y, press.keys);
        }
    }
}

// The control with id `id`, or nullptr for an id that no control has.
const ControlSpec* controlWithId(WPARAM id) {
    const auto index = static_cast<std::size_t>(id) - kFirstControlId;
    return id >= kFirstControlId && index < kControls.size() ? &kControls[index] : nullptr;
}

// fire() for the control with id `id`; an id of no control is ignored.
void fireControlEvent(const MainWindowState& state, WPARAM id, EventKind event, Press press = {}) {
    if (const ControlSpec* control = controlWithId(id)) fire(state, control->name, event, press);
}

// mainWindow's messages: the bound events go through the binding table,
// everything else to the system's defaults.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        liveMainWindow = window;
    }
    auto* state = reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!state) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
        case WM_COMMAND:
            // lParam is the control's window; menu and accelerator commands
            // (lParam 0) are not clicks.
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
                fireControlEvent(*state, LOWORD(wParam), EventKind::Clicked);
            }
            return 0;
        case WM_TIMER:
            fireControlEvent(*state, wParam, EventKind::PeriodElapsed);
            return 0;
        case kControlPressed:
            fireControlEvent(*state, LOWORD(wParam), EventKind::LeftButtonPressed,
                             {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), HIWORD(wParam)});
            return 0;
        case WM_DESTROY:
            for (std::size_t i = 0; i < kControls.size(); ++i) {
                if (kControls[i].kind == ControlKind::Timer) KillTimer(window, kFirstControlId + i);
            }
            return 0;
        case WM_NCDESTROY:
            state->destroyed = true;
            liveMainWindow = nullptr;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window class and style of a kind of windowed control.
struct KindTraits {
    const wchar_t* windowClass;
    DWORD style;
};

KindTraits traitsOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::PictureBox: return {kBannerClass, 0};
        case ControlKind::Label: return {kClockLabelClass, 0};
        // A plain push button, never the default one, so Enter does not press
        // it; the only Tab stop; a caption too wide wraps instead of being cut.
        case ControlKind::Button:
            return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER};
        case ControlKind::Timer: break;
    }
    return {nullptr, 0};
}

// Creates control `index` hidden; a timer starts ticking right away.
void createControl(HWND window, HINSTANCE instance, HFONT font, std::size_t index) {
    const ControlSpec& control = kControls[index];
    const int id = kFirstControlId + static_cast<int>(index);
    if (control.kind == ControlKind::Timer) {
        SetTimer(window, static_cast<UINT_PTR>(id), kTickPeriodMs, nullptr);
        return;
    }
    const KindTraits traits = traitsOf(control.kind);
    HWND child = CreateWindowExW(0, traits.windowClass, wideFromGbk(control.text).c_str(), WS_CHILD | traits.style,
                                 control.left, control.top, control.width, control.height, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// Esc on its own, aimed at the window or any control in it. Alt+Esc comes as
// WM_SYSKEYDOWN and is left to the system.
bool isPlainEscape(const MSG& message, HWND window) {
    return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
           (message.hwnd == window || IsChild(window, message.hwnd)) && GetKeyState(VK_CONTROL) >= 0 &&
           GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
}

// Delivers messages until `window` has been destroyed; a quit message ends
// the loop too and is posted again for the loop outside.
void runModally(HWND window, const MainWindowState& state) {
    MSG message{};
    while (!state.destroyed) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (isPlainEscape(message, window)) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The icon resource at the system's size for `widthMetric` x `heightMetric`;
// owned, since it is loaded without LR_SHARED.
IconHandle loadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return IconHandle(static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                                    GetSystemMetrics(widthMetric),
                                                    GetSystemMetrics(heightMetric), 0)));
}

BOOL CALLBACK noteShownWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// True while a window of this thread is on screen. Hidden helpers (the
// application window, the input method's window) do not keep the program up.
bool anyWindowShown() {
    bool shown = false;
    EnumThreadWindows(GetCurrentThreadId(), noteShownWindow, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

}  // namespace

WindowLayer::WindowLayer(HINSTANCE instance)
    : instance_(instance),
      bigIcon_(loadProgramIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(loadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON)) {
    // The manifest asks for the version 6 common controls; this loads them
    // so that the button takes the system's current look.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    registerWindowClass(instance, kMainWindowClass, mainWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    registerWindowClass(instance, kApplicationWindowClass, DefWindowProcW, nullptr);
    registerClockLabelClass(instance);
    applicationWindow_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationWindowClass, L"", WS_OVERLAPPED, 0, 0, 0,
                                             0, nullptr, nullptr, instance, nullptr));
}

WindowLayer::~WindowLayer() {
    // A class can only go once no window of it is left.
    applicationWindow_.reset();
    unregisterClockLabelClass(instance_);
    UnregisterClassW(kApplicationWindowClass, instance_);
    UnregisterClassW(kMainWindowClass, instance_);
}

void onWindowCreated() {}

void loadMainWindow(const WindowLayer& layer) {
    MainWindowState state;  // outlives the window, which points at it
    const ScreenPoint origin = centredOn(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), kWindowWidth,
                                         kWindowHeight);
    WindowHandle window(CreateWindowExW(0, kMainWindowClass, wideFromGbk(kTitle).c_str(), kWindowStyle, origin.left,
                                        origin.top, kWindowWidth, kWindowHeight, layer.applicationWindow(), nullptr,
                                        layer.instance(), &state));
    if (!window) return;
    // The frame is part of the design: should creation have adjusted it (a
    // minimum track size, a window manager), it is put back.
    SetWindowPos(window.get(), nullptr, origin.left, origin.top, kWindowWidth, kWindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(window.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(layer.bigIcon()));
    SendMessageW(window.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(layer.smallIcon()));

    for (std::size_t i = 0; i < kControls.size(); ++i) createControl(window.get(), layer.instance(), font, i);
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].shown) ShowWindow(GetDlgItem(window.get(), kFirstControlId + static_cast<int>(i)), SW_SHOWNA);
    }

    state.eventsReleased = true;
    fire(state, kMainWindowName, EventKind::Created);

    ShowWindow(window.get(), SW_SHOW);
    SetForegroundWindow(window.get());
    UpdateWindow(window.get());
    runModally(window.get(), state);
    if (state.destroyed) window.release();
}

HWND controlWindow(std::string_view name) {
    if (!liveMainWindow) return nullptr;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].kind != ControlKind::Timer && name == kControls[i].name) {
            return GetDlgItem(liveMainWindow, kFirstControlId + static_cast<int>(i));
        }
    }
    return nullptr;
}

void runMessageLoop() {
    MSG message{};
    while (anyWindowShown()) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
