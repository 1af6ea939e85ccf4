// The program's one window, mainWindow, with its four controls, and the
// window layer that the program keeps for its whole life.
//
// The controls and the events they raise are described by two tables in
// main_window.cpp; creation and dispatch walk those tables.
#pragma once

#include <windows.h>

#include <string_view>

#include "ui/handles.h"

// Control names, in code page 936; the tables and the handlers that need a
// control's window refer to them.
inline constexpr char kBannerBoxName[] = "\xCD\xBC\xC6\xAC\xBF\xF2" "1";  // 图片框1
inline constexpr char kClockTimerName[] = "\xCA\xB1\xD6\xD3" "1";          // 时钟1
inline constexpr char kClockLabelName[] = "\xB1\xEA\xC7\xA9" "1";          // 标签1
inline constexpr char kSyncButtonName[] = "\xB0\xB4\xC5\xA5" "1";          // 按钮1

// What the windows of the program need for its whole life: the window
// classes, the icons and the invisible application window that owns
// mainWindow (an owned window gets no taskbar button of its own). Released
// in reverse when the program ends.
class WindowLayer {
public:
    explicit WindowLayer(HINSTANCE instance);
    ~WindowLayer();
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;

    HINSTANCE instance() const { return instance_; }
    HWND applicationWindow() const { return applicationWindow_.get(); }
    HICON bigIcon() const { return bigIcon_.get(); }
    HICON smallIcon() const { return smallIcon_.get(); }

private:
    HINSTANCE instance_;
    IconHandle bigIcon_;
    IconHandle smallIcon_;
    WindowHandle applicationWindow_;
};

// Builds mainWindow with its controls, fires its created event, shows it
// centred on the screen and runs it modally. Returns once the window has been
// destroyed, or when a quit message arrived (posted again for the caller's
// loop, the window then being destroyed on the way out); returns at once when
// the window cannot be created.
void loadMainWindow(const WindowLayer& layer);

// The created handler of mainWindow: the window needs nothing more once its
// controls exist.
void onWindowCreated();

// The window of the control called `name` (code page 936) in the live
// mainWindow; nullptr when there is no such windowed control or no window.
HWND controlWindow(std::string_view name);

// The ordinary message loop: runs while any window of the program is on
// screen and returns at once when none is.
void runMessageLoop();
