// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the .sup file of a film's subtitle stream for the conversion benchmark: COUNT units,
// one every four seconds, each a two-line picture of 1400 x 120 (8-bit HD DVD units) or
// 600 x 60 (2-bit DVD units).
//
//     quarnel-bench-sup OUT.sup COUNT 8|2
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/subpicture_unit.h"

int main(int argc, char** argv) {
    using namespace quarnel::fixtures;
    if (argc != 4) {
        std::fprintf(stderr, "usage: quarnel-bench-sup OUT.sup COUNT 8|2\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const bool eightBit = std::string(argv[3]) == "8";
    constexpr uint32_t kEvery = 4 * 90000, kShown = 3 * 90000;
    const Bytes unit = eightBit ? hdSubpictureUnit(bandedPicture(1400, 120), bandedPalette(), 260, 900, kShown)
                                : dvdSubpictureUnit(textBitmap("BENCHMARK SUBTITLE 0123", 2), 60, 480, kShown);
    Bytes sup;
    for (int k = 0; k < count; ++k) {
        const uint32_t t = uint32_t(k) * kEvery;
        const uint8_t header[10] = {'S', 'P', uint8_t(t), uint8_t(t >> 8), uint8_t(t >> 16), uint8_t(t >> 24), 0, 0, 0, 0};
        sup.insert(sup.end(), header, header + 10);
        sup.insert(sup.end(), unit.begin(), unit.end());
    }
    writeFile(argv[1], sup);
    return 0;
}
