// SPDX-License-Identifier: GPL-3.0-or-later
// An RGBA picture coded as PNG (8 bits per channel, no interlacing), in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/subpicture_event.h"

namespace quarnel {

// nullopt when the coder fails (or the size is 0).
std::optional<std::vector<uint8_t>> encodePng(int width, int height, const std::vector<Rgba>& pixels);

// The event's picture in its palette's colours; fully clear pixels are (0, 0, 0, 0).
std::vector<Rgba> eventRgba(const SubpictureEvent& e);

}  // namespace quarnel
