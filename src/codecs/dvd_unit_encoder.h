// SPDX-License-Identifier: GPL-3.0-or-later
// Codes a picture of pixel values 0-3 as a 2-bit DVD subpicture unit: both fields in the
// nibble run-length coding, a control sequence that shows it with its colours, contrast, area
// and field offsets, and one that stops it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quarnel {

struct DvdUnitPicture {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels;        // width × height values 0-3
    std::array<uint8_t, 4> colours{};   // palette numbers of values 0-3
    std::array<uint8_t, 4> contrast{};  // 0 clear ... 15 opaque, of values 0-3
    bool forced = false;
    uint32_t durationTicks = 0;  // rounded to 1024-tick steps, at least one
};

// nullopt when the unit would not fit its 16-bit size field, or the area its 12-bit fields.
std::optional<std::vector<uint8_t>> encodeDvdUnit(const DvdUnitPicture& picture);

}  // namespace quarnel
