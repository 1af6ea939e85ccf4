// Where a window goes so that it sits in the middle of the screen.
#pragma once

struct ScreenPoint {
    int left = 0;
    int top = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The top-left corner that centres a window of `width` x `height` on a screen
// of `screenWidth` x `screenHeight`. The halves truncate toward zero, so a
// screen smaller than the window gives a negative corner (300 wide: -40) and
// one just a pixel too narrow gives 0, not -1.
constexpr ScreenPoint centredOn(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}
