// The banner window class. Each banner's own thread decodes the GIF once,
// with GDI+, into one plain GDI bitmap per frame; from then on GDI+ is out of
// the picture and the same thread only blits those bitmaps into the box.
#include "ui/banner.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <stop_token>
#include <system_error>
#include <thread>
#include <vector>

#include "ui/banner_timing.h"
#include "ui/handles.h"
#include "ui/window_class.h"

namespace {

constexpr wchar_t kBannerResource[] = L"BANNER";

// The banner's frames, ready to blit: each one already composed at the
// picture's natural size over the button face (so a GIF with transparency
// shows the box's background through it).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<GdiObject> frames;
    std::vector<std::chrono::milliseconds> durations;  // one per frame
};

// The bytes of the RCDATA resource `name` in `module`; empty when it is
// missing. Resource memory lives as long as the module and needs no release.
std::span<const std::byte> resourceBytes(HINSTANCE module, const wchar_t* name) {
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const std::byte*>(data), SizeofResource(module, found)};
}

// The per-frame delays (hundredths of a second) GDI+ read from the file;
// empty when the picture carries none, which frameDurations plays as 0.
std::vector<std::uint32_t> frameDelays(Gdiplus::Image& image) {
    const UINT size = image.GetPropertyItemSize(PropertyTagFrameDelay);
    if (size < sizeof(Gdiplus::PropertyItem)) return {};
    // operator new's alignment suits PropertyItem, whose value follows it.
    std::vector<std::byte> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (image.GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok) return {};
    if (item->type != PropertyTagTypeLong || !item->value) return {};
    // Never trust the stated length beyond the buffer GDI+ filled.
    const auto* first = static_cast<const std::byte*>(item->value);
    const auto* end = buffer.data() + buffer.size();
    if (first < buffer.data() || first > end) return {};
    const std::size_t available = static_cast<std::size_t>(end - first);
    const std::size_t bytes = std::min<std::size_t>(item->length, available);
    std::vector<std::uint32_t> delays(bytes / sizeof(std::uint32_t));
    std::memcpy(delays.data(), first, delays.size() * sizeof(std::uint32_t));
    return delays;
}

// The BANNER picture of `module`, every frame rendered once; nullopt when
// the resource is missing, Windows' imaging cannot decode it or `stop` is
// requested meanwhile (the box then shows only its background). Needs GDI+
// started (BannerSupport).
std::optional<Picture> decodePicture(HINSTANCE module, std::stop_token stop) {
    const std::span<const std::byte> bytes = resourceBytes(module, kBannerResource);
    if (bytes.empty()) return std::nullopt;
    // SHCreateMemStream copies the bytes, so the stream owns what it reads.
    StreamHandle stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                          static_cast<UINT>(bytes.size())));
    if (!stream) return std::nullopt;
    // Declared after the stream: GDI+ reads from it for the image's lifetime.
    Gdiplus::Image image(stream.get());
    if (image.GetLastStatus() != Gdiplus::Ok) return std::nullopt;

    Picture picture;
    picture.width = static_cast<int>(image.GetWidth());
    picture.height = static_cast<int>(image.GetHeight());
    if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
    // A still picture may report no time dimension at all: it is one frame.
    const UINT count = std::max(image.GetFrameCount(&Gdiplus::FrameDimensionTime), UINT{1});
    picture.durations = frameDurations(frameDelays(image), count);

    MemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    const RECT area{0, 0, picture.width, picture.height};
    for (UINT i = 0; i < count; ++i) {
        if (stop.stop_requested()) return std::nullopt;
        GdiObject frame = makeTopDownBitmap(picture.width, picture.height);
        if (!frame) return std::nullopt;
        if (count > 1 && image.SelectActiveFrame(&Gdiplus::FrameDimensionTime, i) != Gdiplus::Ok)
            return std::nullopt;
        SelectionGuard selected(dc.get(), frame.get());
        FillRect(dc.get(), &area, face);
        Gdiplus::Graphics graphics(dc.get());
        // One source pixel to one device pixel: no resampling, whatever the
        // resolution the file claims (DrawImage(x, y) would scale by it).
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        const Gdiplus::Status drawn =
            graphics.DrawImage(&image, Gdiplus::Rect(0, 0, picture.width, picture.height), 0, 0, picture.width,
                               picture.height, Gdiplus::UnitPixel);
        if (drawn != Gdiplus::Ok) return std::nullopt;
        picture.frames.push_back(std::move(frame));
    }
    return picture;
}

// decodePicture, with running out of memory as one more way to have no
// picture: nothing may throw out of the banner's thread or into Windows.
std::optional<Picture> decodeBanner(HINSTANCE module, std::stop_token stop) noexcept {
    try {
        return decodePicture(module, stop);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// One banner window's state, owned by the window through GWLP_USERDATA from
// WM_NCCREATE to WM_NCDESTROY.
//
// Each banner has one thread of its own. It decodes the picture first, so
// that the window thread goes on building and showing the main window
// meanwhile (decoding costs tens of milliseconds, as long as the rest of the
// start-up), then waits for the box's first paint and from then on plays
// the animation, drawing straight into the box.
class Banner {
public:
    explicit Banner(HWND window) : window_(window) {}
    Banner(const Banner&) = delete;
    Banner& operator=(const Banner&) = delete;
    ~Banner() { stop(); }

    // WM_CREATE: starts the banner's thread on the picture in `module`.
    void start(HINSTANCE module) {
        try {
            thread_ = std::jthread([this, module](std::stop_token stop) { run(stop, module); });
        } catch (const std::system_error&) {
            // No thread to be had: decode here; the box then shows the first
            // frame without animating, which beats showing nothing.
            publish(decodeBanner(module, {}));
        }
    }

    // WM_PAINT: the frame shown now (the background alone while the picture
    // is still being decoded); the first paint lets the animation start.
    void paint() {
        PaintDC dc(window_);
        std::lock_guard lock(mutex_);
        if (dc) drawLocked(dc.get());
        if (!painted_) {
            painted_ = true;
            changed_.notify_all();
        }
    }

    // WM_PRINTCLIENT: the box as it is now, into `dc`, once decoded.
    void print(HDC dc) {
        std::unique_lock lock(mutex_);
        waitDecoded(lock);
        drawLocked(dc);
    }

    // kBannerFrameTime: the display time of frame `index` in ms once
    // decoded, 0 if the picture has no such frame.
    LRESULT frameTime(WPARAM index) {
        std::unique_lock lock(mutex_);
        waitDecoded(lock);
        if (!picture_ || index >= picture_->durations.size()) return 0;
        return static_cast<LRESULT>(picture_->durations[index].count());
    }

    // WM_DESTROY: stops the banner's thread and waits until it has ended,
    // so that it never draws into a window that is going away. The thread
    // notices at once while it waits for a frame, within one frame's
    // rendering while it decodes.
    void stop() {
        if (thread_.joinable()) {
            thread_.request_stop();
            thread_.join();
        }
    }

private:
    // The banner's thread.
    void run(std::stop_token stop, HINSTANCE module) {
        publish(decodeBanner(module, stop));
        std::unique_lock lock(mutex_);
        // The animation starts when the box is first on screen.
        if (!changed_.wait(lock, stop, [this] { return painted_; })) return;
        if (!picture_) return;
        // The first paint may have come before the picture was ready.
        drawIntoBoxLocked();
        if (picture_->frames.size() > 1) play(stop, lock);
    }

    // Sleeps until the next frame is due (or a stop is requested, which
    // wakes it at once) and draws that frame straight into the box, without
    // a message to the window thread, which may be held up for seconds by a
    // synchronisation. Called and returning with `lock` held.
    void play(std::stop_token stop, std::unique_lock<std::mutex>& lock) {
        using Clock = std::chrono::steady_clock;
        auto due = Clock::now() + picture_->durations[frame_];
        for (;;) {
            // Releases the lock while waiting, so WM_PAINT can run meanwhile.
            changed_.wait_until(lock, stop, due, [] { return false; });
            if (stop.stop_requested()) return;
            frame_ = nextFrame(frame_, picture_->frames.size());
            drawIntoBoxLocked();
            // Deadlines advance by the frame's duration rather than from
            // "now", so the cycle keeps its length; after a long stall
            // (a suspended machine) it restarts from now instead of racing
            // through the missed frames.
            due += picture_->durations[frame_];
            const auto now = Clock::now();
            if (due < now) due = now + picture_->durations[frame_];
        }
    }

    // Hands the decoded picture (or its absence) to the window thread.
    void publish(std::optional<Picture> picture) {
        std::lock_guard lock(mutex_);
        picture_ = std::move(picture);
        decoded_ = true;
        changed_.notify_all();
    }

    // Decoding always ends with publish, so this wait is bounded by it.
    void waitDecoded(std::unique_lock<std::mutex>& lock) {
        changed_.wait(lock, [this] { return decoded_; });
    }

    void drawIntoBoxLocked() {
        WindowDC dc(window_);
        if (dc) drawLocked(dc.get());
    }

    // Draws the whole client area into `dc`: the frame shown now at the
    // top-left corner, the button face wherever the picture does not reach.
    void drawLocked(HDC dc) {
        RECT client{};
        GetClientRect(window_, &client);
        const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
        if (!picture_) {
            FillRect(dc, &client, face);
            return;
        }
        const int width = picture_->width;
        const int height = picture_->height;
        const RECT right{width, 0, client.right, height};
        const RECT below{0, height, client.right, client.bottom};
        if (right.left < right.right) FillRect(dc, &right, face);
        if (below.top < below.bottom) FillRect(dc, &below, face);
        MemoryDC source(CreateCompatibleDC(dc));
        if (!source) return;
        SelectionGuard selected(source.get(), picture_->frames[frame_].get());
        BitBlt(dc, 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    }

    HWND window_;
    std::mutex mutex_;  // everything below, and any drawing into the box
    std::condition_variable_any changed_;  // decoded, first painted, or stop
    std::optional<Picture> picture_;       // nullopt: none, or not decoded yet
    bool decoded_ = false;
    bool painted_ = false;
    std::size_t frame_ = 0;
    // Last: destroyed (stopped and joined) before everything it uses.
    std::jthread thread_;
};

Banner* bannerOf(HWND window) { return reinterpret_cast<Banner*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

// The keys held with a press: 1 Ctrl, 2 Shift (from the message), 4 Alt
// (from the thread's key state, which matches the message being handled).
int pressKeys(WPARAM wParam) {
    return ((wParam & MK_CONTROL) ? 1 : 0) | ((wParam & MK_SHIFT) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

LRESULT CALLBACK bannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            // No exception may cross back into Windows: running out of
            // memory fails the window's creation instead.
            std::unique_ptr<Banner> banner;
            try {
                banner = std::make_unique<Banner>(window);
            } catch (const std::bad_alloc&) {
                return FALSE;
            }
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(banner.release()));
            break;
        }
        case WM_CREATE:
            if (Banner* banner = bannerOf(window))
                banner->start(reinterpret_cast<const CREATESTRUCTW*>(lParam)->hInstance);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel; erasing first would flicker
        case WM_PAINT:
            if (Banner* banner = bannerOf(window)) {
                banner->paint();
                return 0;
            }
            break;
        case WM_PRINTCLIENT:
            if (Banner* banner = bannerOf(window)) {
                banner->print(reinterpret_cast<HDC>(wParam));
                return 0;
            }
            break;
        case kBannerFrameTime:
            if (Banner* banner = bannerOf(window)) return banner->frameTime(wParam);
            return 0;
        case WM_LBUTTONDOWN:
            SendMessageW(GetParent(window), kControlPressed,
                         MAKEWPARAM(GetDlgCtrlID(window), pressKeys(wParam)), lParam);
            return 0;
        case WM_DESTROY:
            if (Banner* banner = bannerOf(window)) banner->stop();
            return 0;
        case WM_NCDESTROY:
            delete bannerOf(window);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

BannerSupport::BannerSupport(HINSTANCE instance) : instance_(instance) {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&imagingToken_, &input, nullptr) != Gdiplus::Ok) imagingToken_ = 0;

    // CS_DBLCLKS: a second quick press is a double-click, which is not bound.
    registerWindowClass(instance, kBannerClass, bannerProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), CS_DBLCLKS);
}

BannerSupport::~BannerSupport() {
    UnregisterClassW(kBannerClass, instance_);
    if (imagingToken_) Gdiplus::GdiplusShutdown(imagingToken_);
}
