// The clock label 标签1: a small window class of its own that keeps a copy of
// its code page 936 text and paints it blue on the button face, and the tick
// handler that keeps it showing the local time.
#pragma once

#include <windows.h>

#include <string_view>

inline constexpr wchar_t kClockLabelClass[] = L"TovrenClockLabel";

// Registers the label's window class; true when it is available for
// CreateWindowExW. The label's window name at creation is its first text.
bool registerClockLabelClass(HINSTANCE instance);
void unregisterClockLabelClass(HINSTANCE instance);

// Makes `text` (code page 936) the label's text: the label keeps its own
// copy, so the caller's may go at once. The label repaints the next time the
// thread handles paint messages.
void setClockLabelText(HWND label, std::string_view text);

// The tick handler of 时钟1: the label shows kClockPrefix and the local time.
void onClockTick();
