// When the banner shows which frame. Free of Windows so that the rules are
// tested natively on every build; ui/banner.cpp applies them to the GIF that
// Windows' imaging decodes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How long one frame stays up, from its GIF delay in hundredths of a second.
// A delay of 0 means 50 ms: many GIFs carry 0 for "as fast as you like", and
// taking it literally would spin a core redrawing the box.
std::chrono::milliseconds frameDuration(std::uint32_t delayHundredths);

// The display time of each of `frameCount` frames, from the delays the file
// carries in frame order (Windows' PropertyTagFrameDelay). A frame the list
// does not reach counts as delay 0; entries beyond `frameCount` are ignored.
std::vector<std::chrono::milliseconds> frameDurations(std::span<const std::uint32_t> delaysHundredths,
                                                      std::size_t frameCount);

// The frame shown after `current` among `frameCount`: the next in file order,
// and the first again after the last, endlessly, whatever loop count the file
// carries. 0 when there are no frames or `current` is out of range.
std::size_t nextFrame(std::size_t current, std::size_t frameCount);
