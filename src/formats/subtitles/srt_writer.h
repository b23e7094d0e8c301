// SPDX-License-Identifier: GPL-3.0-or-later
// SubRip text subtitles (.srt): UTF-8 without a byte-order mark, LF line ends, cues numbered
// from 1, each with its "HH:MM:SS,mmm --> HH:MM:SS,mmm" times and one line of text per line
// of the picture. A cue whose text could not be read keeps its number and times, its text
// empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

struct SrtCue {
    uint64_t start = 0, stop = 0;    // 90 kHz ticks
    std::vector<std::string> lines;  // top to bottom; may be none
};

// "HH:MM:SS,mmm", the ticks rounded to the nearest millisecond (hours go on past 99).
std::string srtTime(uint64_t ticks);

// The file's text.
std::string srtText(const std::vector<SrtCue>& cues);

// Writes the cues to `path` under a temporary name, put in place once whole; raises
// QuarnelError on a failed write.
void writeSrt(const std::string& path, const std::vector<SrtCue>& cues);

}  // namespace quarnel
