#include <gtest/gtest.h>

#include "ui/centring.h"

namespace {

struct CentringCase {
    int screenWidth;
    int screenHeight;
    ScreenPoint expected;
};

// The main window is 380 x 250. Odd leftovers and screens smaller than the
// window show that the halves truncate toward zero rather than down.
const CentringCase kCases[] = {
    {1280, 800, {450, 275}},
    {1024, 768, {322, 259}},
    {1920, 1080, {770, 415}},
    {381, 251, {0, 0}},
    {379, 249, {0, 0}},
    {378, 248, {-1, -1}},
    {300, 200, {-40, -25}},
    {0, 0, {-190, -125}},
};

TEST(CentredOn, PutsTheMainWindowInTheMiddle) {
    for (const CentringCase& c : kCases) {
        EXPECT_EQ(centredOn(c.screenWidth, c.screenHeight, 380, 250), c.expected)
            << c.screenWidth << " x " << c.screenHeight;
    }
}

}  // namespace
