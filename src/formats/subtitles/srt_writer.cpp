// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/srt_writer.h"

#include <cinttypes>
#include <cstdio>

#include "io/files.h"

namespace quarnel {

std::string srtTime(uint64_t ticks) {
    const uint64_t ms = (ticks + 45) / 90;
    char text[40];
    std::snprintf(text, sizeof text, "%02" PRIu64 ":%02" PRIu64 ":%02" PRIu64 ",%03" PRIu64, ms / 3600000,
                  ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

std::string srtText(const std::vector<SrtCue>& cues) {
    std::string out;
    for (size_t i = 0; i < cues.size(); ++i) {
        out += std::to_string(i + 1) + "\n" + srtTime(cues[i].start) + " --> " + srtTime(cues[i].stop) + "\n";
        for (const std::string& line : cues[i].lines) out += line + "\n";
        out += "\n";
    }
    return out;
}

void writeSrt(const std::string& path, const std::vector<SrtCue>& cues) {
    writeTextFile(path, srtText(cues));
}

}  // namespace quarnel
