#include "ui/banner_timing.h"

namespace {

// What a delay of 0 plays as.
constexpr std::chrono::milliseconds kZeroDelayDuration{50};

}  // namespace

std::chrono::milliseconds frameDuration(std::uint32_t delayHundredths) {
    if (delayHundredths == 0) return kZeroDelayDuration;
    // 64-bit milliseconds: even a (malformed) 32-bit delay cannot overflow.
    return std::chrono::milliseconds{std::int64_t{delayHundredths} * 10};
}

std::vector<std::chrono::milliseconds> frameDurations(std::span<const std::uint32_t> delaysHundredths,
                                                      std::size_t frameCount) {
    std::vector<std::chrono::milliseconds> durations;
    durations.reserve(frameCount);
    for (std::size_t i = 0; i < frameCount; ++i)
        durations.push_back(frameDuration(i < delaysHundredths.size() ? delaysHundredths[i] : 0));
    return durations;
}

std::size_t nextFrame(std::size_t current, std::size_t frameCount) {
    if (frameCount == 0 || current >= frameCount - 1) return 0;
    return current + 1;
}
