#include "ui/clock_label.h"

#include <memory>
#include <new>
#include <string>

#include "ui/clock_text.h"
#include "ui/handles.h"
#include "ui/main_window.h"
#include "ui/win_text.h"
#include "ui/window_class.h"
#include "values/local_clock.h"

namespace {

constexpr COLORREF kTextColour = RGB(0, 0, 255);
// One line, never wrapped; a text too wide is cut at the right edge (no
// ellipsis), and "&" is an ordinary character, not a mnemonic marker.
constexpr UINT kTextLayout = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

struct LabelState {
    std::string text;  // code page 936
    HFONT font = nullptr;
};

// The label's state, or nullptr before WM_NCCREATE and after WM_NCDESTROY.
LabelState* stateOf(HWND label) { return reinterpret_cast<LabelState*>(GetWindowLongPtrW(label, GWLP_USERDATA)); }

// The whole area is filled before the text is drawn, so a shorter text (the
// one second at a whole minute) leaves nothing of the longer one behind.
void paint(HWND label, const LabelState& state) {
    PaintDC dc(label);
    if (!dc) return;
    RECT area{};
    GetClientRect(label, &area);
    FillRect(dc.get(), &area, GetSysColorBrush(COLOR_BTNFACE));
    const SelectionGuard font(dc.get(), state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc.get(), kTextColour);
    SetBkMode(dc.get(), TRANSPARENT);
    std::wstring text = wideFromGbk(state.text);
    DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &area, kTextLayout);
}

// The label keeps its text and font and paints itself; the rest is the
// system's default.
LRESULT CALLBACK clockLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            // No exception may cross back into Windows: running out of
            // memory fails the label's creation instead.
            std::unique_ptr<LabelState> state;
            try {
                state = std::make_unique<LabelState>();
                state->text = gbkFromWide(creation->lpszName);
            } catch (const std::bad_alloc&) {
                return FALSE;
            }
            SetWindowLongPtrW(label, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
            break;
        }
        case WM_NCDESTROY:
            delete stateOf(label);
            SetWindowLongPtrW(label, GWLP_USERDATA, 0);
            break;
        case WM_SETFONT:
            if (LabelState* state = stateOf(label)) state->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(label, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            if (const LabelState* state = stateOf(label)) return reinterpret_cast<LRESULT>(state->font);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel; erasing first would only flicker
        case WM_PAINT:
            if (const LabelState* state = stateOf(label)) {
                paint(label, *state);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(label, message, wParam, lParam);
}

}  // namespace

bool registerClockLabelClass(HINSTANCE instance) {
    return registerWindowClass(instance, kClockLabelClass, clockLabelProc);
}

void unregisterClockLabelClass(HINSTANCE instance) { UnregisterClassW(kClockLabelClass, instance); }

void setClockLabelText(HWND label, std::string_view text) {
    LabelState* state = stateOf(label);
    if (!state) return;
    state->text.assign(text);
    SetWindowTextW(label, wideFromGbk(text).c_str());
    InvalidateRect(label, nullptr, FALSE);
}

void onClockTick() {
    if (HWND label = controlWindow(kClockLabelName)) setClockLabelText(label, clockLabelText(currentDateTime()));
}
