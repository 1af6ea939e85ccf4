// Drives the real program from outside, the way a user's desktop would see
// it: starts beijing-time-sync.exe (next to the test executable), finds its
// windows by title and class and talks to them with window messages only.
// Every wait is bounded, so a fault fails a test instead of hanging the run.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "ui/handles.h"

inline constexpr std::chrono::milliseconds kPatience{10000};

// Handles this thread's messages and polls `ready` until it is true or
// `limit` has passed; true when it became true.
bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit = kPatience);

// `utf8` as the program's code page 936 text, then as Windows shows it.
std::wstring wideText(std::string_view utf8);

// The window text of `window` as Windows holds it; for a window of another
// process this does not wait on that process.
std::wstring windowText(HWND window);

std::wstring className(HWND window);

// The first visible top-level window of process `processId` with exactly this
// class (nullptr for any) and title; nullptr when there is none.
HWND findTopLevelWindow(DWORD processId, const wchar_t* windowClass, const std::wstring& title);

// The direct child of `parent` with this class (compared without case, as
// Windows does); nullptr when there is none.
HWND findChild(HWND parent, std::wstring_view windowClass);

// The rectangle of `child` in its parent's client coordinates.
RECT placeInParent(HWND child);

// One run of the program.
class ProgramRun {
public:
    // Starts the program and waits for its main window to exist; the label's
    // text is read the moment the label exists, before the first tick.
    ProgramRun();
    // Closes the program if it is still running, and makes sure it is gone.
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return mainWindow_ != nullptr; }
    DWORD processId() const { return processId_; }
    HWND mainWindow() const { return mainWindow_; }
    HWND label() const { return label_; }
    HWND button() const { return button_; }
    HWND banner() const { return banner_; }
    const std::wstring& firstLabelText() const { return firstLabelText_; }

    // Waits until the main window is on screen; true when it is.
    bool waitUntilShown() const;
    // Waits until the process has ended; true with its exit code in `code`.
    bool waitForExit(DWORD& code) const;

private:
    KernelHandle process_;
    DWORD processId_ = 0;
    HWND mainWindow_ = nullptr;
    HWND label_ = nullptr;
    HWND button_ = nullptr;
    HWND banner_ = nullptr;
    std::wstring firstLabelText_;
};
