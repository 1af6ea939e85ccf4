// The floor for scripts/bench: a bare Win32 window of the program's size
// with one label and nothing else (no imaging, no banner, no timer, no
// network), built with the same compiler, flags and static runtime.
#include <windows.h>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BareWindow";
    if (!RegisterClassExW(&wc)) return 1;
    // The program's outer size and styles, centred the same way.
    const int width = 380;
    const int height = 250;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"bare window", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    CreateWindowExW(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, 72, 40, 240, 24, window, nullptr, instance,
                    nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
