// SPDX-License-Identifier: GPL-3.0-or-later
// Subpictures: the run-length coding of the first unit.
#include "codecs/subpicture.h"

#include "codecs/analysers.h"

namespace quarnel {

std::optional<SubpictureUnitHeader> decodeSubpicture(std::span<const uint8_t> unit) {
    if (unit.size() < 2) return std::nullopt;
    return SubpictureUnitHeader{.eightBitRle = unit[0] == 0 && unit[1] == 0};
}

void reportSubpicture(const SubpictureUnitHeader& h, MessageLog& log) {
    log.log(h.eightBitRle ? "   Format = [bl]8bitRLE[/bl]" : "   Format = [bl]2bitRLE[/bl]");
}

void analyseSubpicture(const AnalyserInput& in, MessageLog& log) {
    if (const std::optional<SubpictureUnitHeader> h = decodeSubpicture(in.payload)) reportSubpicture(*h, log);
}

}  // namespace quarnel
