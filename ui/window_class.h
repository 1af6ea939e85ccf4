// Registering the program's window classes.
#pragma once

#include <windows.h>

// Registers the class `name` of `instance` with the arrow cursor; true when
// it was registered.
inline bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                HBRUSH background = nullptr, UINT style = 0) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}
