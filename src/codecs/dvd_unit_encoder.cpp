// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/dvd_unit_encoder.h"

#include <algorithm>

namespace quarnel {
namespace {

constexpr size_t kMaxUnitBytes = 0xFFFF;
constexpr int kMaxCoordinate = 0xFFF;
constexpr int kLongestRun = 255;
constexpr uint32_t kMaxDelay = 0xFFFF;

// Appends 4-bit values, most significant first; each line starts on a byte boundary.
struct NibbleWriter {
    std::vector<uint8_t>& out;
    bool half = false;
    void put(uint32_t v) {
        if (half)
            out.back() |= uint8_t(v & 0x0F);
        else
            out.push_back(uint8_t(v << 4));
        half = !half;
    }
    void align() { half = false; }
};

// Runs of 1-3, 4-15, 16-63 and 64-255 pixels take 1, 2, 3 and 4 nibbles; a line's last run is
// coded as "the rest of the line".
void encodeLine(const DvdUnitPicture& p, int y, NibbleWriter& w) {
    const uint8_t* line = p.pixels.data() + size_t(y) * size_t(p.width);
    int x = 0;
    while (x < p.width) {
        const uint8_t value = line[x] & 3;
        int run = 1;
        while (x + run < p.width && run < kLongestRun && (line[x + run] & 3) == value) ++run;
        const bool toEnd = x + run == p.width;
        const uint32_t code = toEnd ? value : uint32_t(run) << 2 | value;
        const int nibbles = toEnd ? 4 : run < 4 ? 1 : run < 16 ? 2 : run < 64 ? 3 : 4;
        for (int k = nibbles - 1; k >= 0; --k) w.put(code >> (4 * k));
        x += run;
    }
    w.align();
}

void put16(std::vector<uint8_t>& b, size_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void set16(std::vector<uint8_t>& b, size_t at, size_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
uint8_t pair(uint8_t high, uint8_t low) {
    return uint8_t((high & 0x0F) << 4 | (low & 0x0F));
}

}  // namespace

std::optional<std::vector<uint8_t>> encodeDvdUnit(const DvdUnitPicture& p) {
    const int x2 = p.x + p.width - 1, y2 = p.y + p.height - 1;
    if (p.width <= 0 || p.height <= 0 || p.x < 0 || p.y < 0 || x2 > kMaxCoordinate || y2 > kMaxCoordinate ||
        p.pixels.size() != size_t(p.width) * size_t(p.height))
        return std::nullopt;
    std::vector<uint8_t> u(4, 0);  // size, offset of the first control sequence
    NibbleWriter w{u};
    const size_t top = u.size();
    for (int row = 0; row < p.height; row += 2) encodeLine(p, row, w);
    const size_t bottom = u.size();
    for (int row = 1; row < p.height; row += 2) encodeLine(p, row, w);
    if (u.size() % 2) u.push_back(0);

    const size_t first = u.size();
    const size_t second = first + 24;
    put16(u, 0);
    put16(u, second);
    u.push_back(p.forced ? 0x00 : 0x01);
    u.insert(u.end(), {0x03, pair(p.colours[3], p.colours[2]), pair(p.colours[1], p.colours[0])});
    u.insert(u.end(), {0x04, pair(p.contrast[3], p.contrast[2]), pair(p.contrast[1], p.contrast[0])});
    u.insert(u.end(), {0x05, uint8_t(p.x >> 4), uint8_t((p.x & 0x0F) << 4 | x2 >> 8), uint8_t(x2),
                       uint8_t(p.y >> 4), uint8_t((p.y & 0x0F) << 4 | y2 >> 8), uint8_t(y2), 0x06});
    put16(u, top);
    put16(u, bottom);
    u.push_back(0xFF);
    const uint32_t steps = (p.durationTicks + 512) / 1024;
    put16(u, std::min(std::max(steps, 1u), kMaxDelay));
    put16(u, second);
    u.insert(u.end(), {0x02, 0xFF});
    if (u.size() > kMaxUnitBytes) return std::nullopt;
    set16(u, 0, u.size());
    set16(u, 2, first);
    return u;
}

}  // namespace quarnel
