// Used by scripts/bench: starts a program several times and measures, for
// each start, the milliseconds from CreateProcess until the program has a
// visible top-level window, then closes that window and waits for the exit.
//
//   launch_probe.exe RUNS PROGRAM.exe
//
// Prints one "start N: M ms" line per run and "average: M ms" (the mean of
// the runs), or a line starting "error:" and exits 1.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/handles.h"

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of `process`, or null.
HWND visibleWindowOf(DWORD process) {
    Search search{process, nullptr};
    EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double now(LARGE_INTEGER frequency) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess to a visible window of `program`; a
// negative value on failure. Closes the program before returning.
double timeOneStart(const std::wstring& program, LARGE_INTEGER frequency) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const double start = now(frequency);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return -1;
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    HWND window = nullptr;
    double elapsed = -1;
    // Bounded: a program that never shows a window fails the run after 30 s.
    while (now(frequency) - start < 30000) {
        if ((window = visibleWindowOf(info.dwProcessId))) {
            elapsed = now(frequency) - start;
            break;
        }
        if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) break;
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    return elapsed;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) {
        std::puts("error: usage: launch_probe RUNS PROGRAM.exe");
        return 1;
    }
    const int runs = _wtoi(argv[1]);
    const std::wstring program = argv[2];
    LocalFree(argv);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double total = 0;
    for (int i = 1; i <= runs; ++i) {
        const double ms = timeOneStart(program, frequency);
        if (ms < 0) {
            std::printf("error: run %d showed no window\n", i);
            return 1;
        }
        std::printf("start %d: %.1f ms\n", i, ms);
        std::fflush(stdout);
        total += ms;
    }
    std::printf("average: %.1f ms\n", runs > 0 ? total / runs : 0.0);
    return 0;
}
