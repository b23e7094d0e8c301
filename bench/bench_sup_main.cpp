// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the .sup file of a film's subtitle stream for the conversion benchmarks: COUNT units,
// one every four seconds, each a two-line picture of 1400 x 120 (8-bit HD DVD units) or
// 600 x 60 (2-bit DVD units); with "text" (bench/ocr.sh) each unit shows one of eight
// two-line sentences drawn with DejaVu Sans, as the character recognition test draws them.
//
//     quarnel-bench-sup OUT.sup COUNT 8|2 [text]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/rendered_text.h"
#include "fixtures/subpicture_unit.h"

int main(int argc, char** argv) {
    using namespace quarnel::fixtures;
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "text")) {
        std::fprintf(stderr, "usage: quarnel-bench-sup OUT.sup COUNT 8|2 [text]\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const bool eightBit = std::string(argv[3]) == "8";
    constexpr uint32_t kEvery = 4 * 90000, kShown = 3 * 90000;
    std::vector<Bytes> units;
    if (argc == 5) {
        const std::vector<std::string> kSentences[] = {
            {"Where were you last night?", "I waited for hours."},
            {"It's not what you think.", "Let me explain."},
            {"We have 24 hours left,", "maybe less."},
            {"Don't open that door!", "Not yet."},
            {"She said you'd come back.", "I didn't believe her."},
            {"How much is it?", "Twelve dollars, 50 cents."},
            {"Keep your voice down.", "They're listening."},
            {"This is the last time,", "I promise."},
        };
        for (const auto& lines : kSentences) {
            const TextPicture p = renderText(lines, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                             eightBit ? 44 : 26, eightBit ? 3 : 2);
            HdPalette palette{};
            const IndexedPicture picture = eightBitText(p, 255, 255, 255, palette);
            units.push_back(
                eightBit ? hdSubpictureUnit(picture, palette, 960 - p.width / 2, 1000 - p.height, kShown)
                         : dvdSubpictureUnit(twoBitText(p), 360 - p.width / 2, 560 - p.height, kShown));
        }
    } else {
        units.push_back(eightBit
                            ? hdSubpictureUnit(bandedPicture(1400, 120), bandedPalette(), 260, 900, kShown)
                            : dvdSubpictureUnit(textBitmap("BENCHMARK SUBTITLE 0123", 2), 60, 480, kShown));
    }
    Bytes sup;
    for (int k = 0; k < count; ++k) {
        const Bytes record = supRecord(uint32_t(k) * kEvery, units[size_t(k) % units.size()]);
        sup.insert(sup.end(), record.begin(), record.end());
    }
    writeFile(argv[1], sup);
    return 0;
}
