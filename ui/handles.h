// RAII ownership of Windows handles: one wrapper template, one alias per kind
// of handle, so that no path out of a function can forget a release.
#pragma once

#include <windows.h>
#include <wininet.h>
#include <objidl.h>

#include <utility>

// Owns a handle of type H and releases it with Release unless it is the
// kind's null value. Move-only.
template <typename H, auto Release, H Null = H{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Null)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Null));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != Null; }
    // Gives up ownership without releasing.
    H release() { return std::exchange(handle_, Null); }
    void reset(H handle = Null) {
        if (handle_ != Null) Release(handle_);
        handle_ = handle;
    }

private:
    H handle_ = Null;
};

namespace handles_detail {
inline void deleteObject(HGDIOBJ object) { DeleteObject(object); }
inline void deleteDC(HDC dc) { DeleteDC(dc); }
inline void destroyWindow(HWND window) { DestroyWindow(window); }
inline void destroyIcon(HICON icon) { DestroyIcon(icon); }
inline void closeInternetHandle(HINTERNET handle) { InternetCloseHandle(handle); }
inline void releaseStream(IStream* stream) { stream->Release(); }
inline void closeHandle(HANDLE handle) { CloseHandle(handle); }
}  // namespace handles_detail

using GdiObject = UniqueHandle<HGDIOBJ, handles_detail::deleteObject>;   // bitmaps, brushes, fonts
using MemoryDC = UniqueHandle<HDC, handles_detail::deleteDC>;           // from CreateCompatibleDC
using WindowHandle = UniqueHandle<HWND, handles_detail::destroyWindow>;
using IconHandle = UniqueHandle<HICON, handles_detail::destroyIcon>;    // from CreateIcon*/LoadImage without LR_SHARED
using InternetHandle = UniqueHandle<HINTERNET, handles_detail::closeInternetHandle>;  // WinINet session, connection, request
using StreamHandle = UniqueHandle<IStream*, handles_detail::releaseStream>;  // COM stream, e.g. from SHCreateMemStream
using KernelHandle = UniqueHandle<HANDLE, handles_detail::closeHandle>;  // threads, processes, snapshots (never INVALID_HANDLE_VALUE)

// A device context from GetDC, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// The DC of a WM_PAINT, from BeginPaint; EndPaint validates the window.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a DC for the lifetime of the guard, restoring the
// previous one on the way out (an object must not be deleted while selected).
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
    ~SelectionGuard() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A 32-bit top-down DIB section of `width` × `height` (none on failure);
// `bits`, when given, receives its pixels, one 0x00RRGGBB word each.
inline GdiObject makeTopDownBitmap(int width, int height, void** bits = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits) *bits = pixels;
    return bitmap;
}
