// SPDX-License-Identifier: GPL-3.0-or-later
// The picture preparation of character recognition over arbitrary pictures. The bytes give a
// picture's size (two 16-bit numbers, up to 4095 x 1023), its palette (a byte: 4 or 256
// colours, then RGBA each) and its pixels (what is left, whether it fills the picture or not).
// Every prepared line must be a whole grey picture within the preparation's limits.
#include <algorithm>

#include "formats/ocr/ocr_picture.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    SubpictureEvent e;
    e.width = (data[0] | data[1] << 8) & 0x0FFF;
    e.height = (data[2] | data[3] << 8) & 0x03FF;
    const size_t colours = data[4] & 1 ? 256 : 4;
    size_t at = 5;
    for (size_t k = 0; k < colours && at + 4 <= size; ++k, at += 4)
        e.palette.push_back({data[at], data[at + 1], data[at + 2], data[at + 3]});
    e.pixels.assign(data + at, data + size);
    // Pixels of a short input repeat, so that a small input can make a large picture.
    if (!e.pixels.empty() && e.pixels.size() < size_t(e.width) * size_t(e.height)) {
        const size_t given = e.pixels.size();
        for (size_t i = given; i < size_t(e.width) * size_t(e.height); ++i)
            e.pixels.push_back(e.pixels[i % given]);
    }
    for (const GreyImage& line : prepareOcrLines(e)) {
        check(line.width > 2 * kOcrMargin && line.height > 2 * kOcrMargin, "a line without pixels");
        check(line.pixels.size() == size_t(line.width) * size_t(line.height), "pixels do not fill the line");
        check(double(line.width - 2 * kOcrMargin) * (line.height - 2 * kOcrMargin) <=
                  std::max(kOcrMaxLinePixels, double(e.width) * e.height) + 1e6,
              "a line grown past its limit");
    }
    return 0;
}
