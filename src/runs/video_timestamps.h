// SPDX-License-Identifier: GPL-3.0-or-later
// The times of a video stream whose title starts inside its first EVOBU: the reference pictures
// it keeps from before the start are shown a millisecond each, right before it, and every
// picture from the start on at its own time. mkvmerge times the stream once on its own (frame
// rate, repeated fields, reordering) and mkvextract reads those times back; they are then moved.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quarnel {

// The times in milliseconds of a stream shown as `shown` gives them (sorted, as mkvmerge's
// timestamps_v2 lists them): its first `references` pictures end `startMs` (one millisecond
// each), the rest follow from `startMs` on, as far apart as they were.
std::vector<double> timesFromStart(const std::vector<double>& shown, size_t references, double startMs);

struct VideoTimestampsInput {
    std::string mkvmerge, mkvextract;  // the programs
    std::string video;                 // the elementary stream
    std::string scratch;               // a name to put the stream's own MKV and times under
    std::string output;                // the timestamp file written
    size_t references = 0;             // pictures before the title's start kept
    double startMs = 0;                // where the title starts
};

// Writes the timestamp file; raises QuarnelError with the reason when a program fails.
void writeVideoTimestamps(const VideoTimestampsInput& in);

}  // namespace quarnel
