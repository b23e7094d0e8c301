// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/four_colour_picture.h"

#include <algorithm>

namespace quarnel {
namespace {

constexpr uint8_t kHalfOpaque = 128;

int colourDistance(Rgba a, Rgba b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

FourColourPicture fourColourPicture(const SubpictureEvent& e) {
    FourColourPicture out;
    if (e.depth == SubpictureDepth::TwoBit && e.palette.size() >= 4) {
        out.pixels = e.pixels;
        std::copy_n(e.palette.begin(), 4, out.shades.begin());
        return out;
    }
    const auto entry = [&](uint8_t index) { return index < e.palette.size() ? e.palette[index] : Rgba{}; };
    std::array<size_t, 256> uses{};
    for (uint8_t p : e.pixels)
        if (entry(p).a >= kHalfOpaque) ++uses[p];
    std::array<uint8_t, 256> order{};
    for (size_t k = 0; k < order.size(); ++k) order[k] = uint8_t(k);
    std::stable_sort(order.begin(), order.end(), [&](uint8_t a, uint8_t b) { return uses[a] > uses[b]; });

    int kept = 0;
    for (; kept < 3 && uses[order[size_t(kept)]] > 0; ++kept)
        out.shades[size_t(kept) + 1] = entry(order[size_t(kept)]);
    // Each palette entry's value: background, or the nearest kept shade.
    std::array<uint8_t, 256> value{};
    for (size_t k = 0; k < 256; ++k) {
        const Rgba c = entry(uint8_t(k));
        if (c.a < kHalfOpaque || kept == 0) continue;
        int best = 1;
        for (int v = 2; v <= kept; ++v)
            if (colourDistance(c, out.shades[size_t(v)]) < colourDistance(c, out.shades[size_t(best)]))
                best = v;
        value[k] = uint8_t(best);
    }
    out.pixels.reserve(e.pixels.size());
    for (uint8_t p : e.pixels) out.pixels.push_back(value[p]);
    out.reduced = true;
    return out;
}

}  // namespace quarnel
