#include "program_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build_config.h"
#include "support/gbk.h"
#include "ui/banner.h"
#include "ui/clock_label.h"
#include "ui/win_text.h"

namespace {

// Handles whatever is waiting in this thread's queue.
void pumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// beijing-time-sync.exe in this executable's folder.
std::wstring programPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            std::wstring self(path.data(), length);
            return self.substr(0, self.find_last_of(L"\\/") + 1) + L"beijing-time-sync.exe";
        }
        path.resize(path.size() * 2);
    }
}

struct TopLevelSearch {
    DWORD processId;
    const wchar_t* windowClass;
    const std::wstring* title;
    bool visibleOnly;
    HWND found;
};

// EnumWindows callback: stops at the first window matching the search.
BOOL CALLBACK matchTopLevel(HWND window, LPARAM searchAddress) {
    auto& search = *reinterpret_cast<TopLevelSearch*>(searchAddress);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || (search.visibleOnly && !IsWindowVisible(window))) return TRUE;
    if (search.windowClass && className(window) != search.windowClass) return TRUE;
    if (windowText(window) != *search.title) return TRUE;
    search.found = window;
    return FALSE;
}

// The first matching top-level window, hidden ones too unless
// `visibleOnly`; nullptr when none matches.
HWND findTopLevel(DWORD processId, const wchar_t* windowClass, const std::wstring& title, bool visibleOnly) {
    TopLevelSearch search{processId, windowClass, &title, visibleOnly, nullptr};
    EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// True once `process` has exited.
bool processEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

}  // namespace

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
        pumpMessages();
    }
}

std::wstring wideText(std::string_view utf8) { return wideFromGbk(gbk(utf8)); }

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

HWND findTopLevelWindow(DWORD processId, const wchar_t* windowClass, const std::wstring& title) {
    return findTopLevel(processId, windowClass, title, true);
}

HWND findChild(HWND parent, std::wstring_view windowClass) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring name = className(child);
        if (CompareStringOrdinal(name.data(), static_cast<int>(name.size()), windowClass.data(),
                                 static_cast<int>(windowClass.size()), TRUE) == CSTR_EQUAL) {
            return child;
        }
    }
    return nullptr;
}

RECT placeInParent(HWND child) {
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

ProgramRun::ProgramRun() {
    const std::wstring path = programPath();
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return;
    }
    process_.reset(started.hProcess);
    const KernelHandle thread(started.hThread);
    processId_ = started.dwProcessId;

    // The window exists, hidden, while its controls are being made; the
    // label is read as soon as it is there, a second before the first tick.
    const std::wstring title = wideText("Tovren一键同步本机时间为北京时间");
    HWND window = nullptr;
    waitUntil([&] {
        if (!window) window = findTopLevel(processId_, nullptr, title, false);
        if (!window) return processEnded(process_.get());
        label_ = findChild(window, kClockLabelClass);
        if (!label_) return false;
        firstLabelText_ = windowText(label_);
        return true;
    });
    if (!label_) return;
    waitUntil([&] {
        button_ = findChild(window, L"Button");
        banner_ = findChild(window, kBannerClass);
        return button_ && banner_;
    });
    mainWindow_ = window;
}

ProgramRun::~ProgramRun() {
    if (!process_ || processEnded(process_.get())) return;
    // A message box left open holds the program inside the click handler;
    // close it first, then the window.
    const std::wstring boxTitle = wideText("Tovren提示你");
    while (HWND box = findTopLevel(processId_, L"#32770", boxTitle, false)) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!waitUntil([&] { return !IsWindow(box); })) break;
    }
    if (mainWindow_ && IsWindow(mainWindow_)) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
    if (!waitUntil([&] { return processEnded(process_.get()); })) {
        ADD_FAILURE_AT(__FILE__, __LINE__) << "the program did not end when asked to; terminating it";
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), static_cast<DWORD>(kPatience.count()));
    }
}

bool ProgramRun::waitUntilShown() const {
    return mainWindow_ && waitUntil([&] { return IsWindowVisible(mainWindow_) != FALSE; });
}

bool ProgramRun::waitForExit(DWORD& code) const {
    if (!process_ || !waitUntil([&] { return processEnded(process_.get()); })) return false;
    return GetExitCodeProcess(process_.get(), &code) != FALSE;
}
