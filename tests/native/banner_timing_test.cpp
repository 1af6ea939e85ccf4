#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "ui/banner_timing.h"

namespace {

using std::chrono::milliseconds;

TEST(FrameDuration, TenMillisecondsPerHundredthAndZeroAsFifty) {
    const struct {
        std::uint32_t delay;
        milliseconds expected;
    } cases[] = {
        {0, milliseconds{50}},  // "as fast as possible" is slowed down, not spun
        {1, milliseconds{10}},
        {4, milliseconds{40}},
        {5, milliseconds{50}},
        {15, milliseconds{150}},  // the banner's own delay
        {100, milliseconds{1000}},
        {65535, milliseconds{655350}},  // the largest a GIF can carry
        {std::numeric_limits<std::uint32_t>::max(), milliseconds{42949672950}},  // no wrap-around
    };
    for (const auto& c : cases) EXPECT_EQ(frameDuration(c.delay), c.expected) << "delay " << c.delay;
}

TEST(FrameDurations, OnePerFrameWithMissingDelaysAsZero) {
    using D = std::vector<milliseconds>;
    const struct {
        std::vector<std::uint32_t> delays;
        std::size_t frames;
        D expected;
    } cases[] = {
        {std::vector<std::uint32_t>(11, 15), 11, D(11, milliseconds{150})},
        {{15, 0, 7}, 3, {milliseconds{150}, milliseconds{50}, milliseconds{70}}},
        {{}, 2, {milliseconds{50}, milliseconds{50}}},            // a GIF without a delay property
        {{20}, 3, {milliseconds{200}, milliseconds{50}, milliseconds{50}}},  // fewer delays than frames
        {{20, 30, 40}, 2, {milliseconds{200}, milliseconds{300}}},         // more delays than frames
        {{20}, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frameDurations(c.delays, c.frames), c.expected) << c.delays.size() << " delays, " << c.frames << " frames";
}

TEST(NextFrame, FileOrderWrappingToTheFirstForever) {
    const struct {
        std::size_t current, count, expected;
    } cases[] = {
        {0, 11, 1}, {5, 11, 6}, {9, 11, 10},
        {10, 11, 0},  // after the last frame the first again, whatever the loop count
        {0, 1, 0},    // a still picture stays on its one frame
        {0, 0, 0},    // no picture at all
        {11, 11, 0},  // out of range: back to the start rather than past the end
        {std::numeric_limits<std::size_t>::max(), 11, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextFrame(c.current, c.count), c.expected) << c.current << " of " << c.count;
}

}  // namespace
