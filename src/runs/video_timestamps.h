// SPDX-License-Identifier: GPL-3.0-or-later
// The times of a video stream cut to a title's windows (a clip that begins or ends inside an
// EVOBU): the reference pictures it keeps from outside a window are shown a millisecond each
// at the window's edge, and every picture inside one at its own time, each part from where the
// title places it. mkvmerge times the stream once on its own (frame rate, repeated fields,
// reordering), mkvextract reads those times back, and they are then moved part by part.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quarnel {

// One part of the stream as the title plays it: its pictures, of which (in display order) the
// first `before` are references from before its window and the last `after` references from
// after it, and where its window starts on the output's time line (ms).
struct PartPictures {
    size_t pictures = 0, before = 0, after = 0;
    double startMs = 0;
};

// The times in milliseconds of a stream shown as `shown` gives them (sorted, as mkvmerge's
// timestamps_v2 lists them): each part's pictures from its start on, as far apart as they were;
// the references from after one part's window and before the next one's a millisecond each
// right before the next one's start, those after the last part's window from `endMs` on. Empty
// when the parts do not hold as many pictures as `shown` (or one less: mkvextract lists where
// the last picture ends too).
std::vector<double> timesOfParts(const std::vector<double>& shown, const std::vector<PartPictures>& parts,
                                 double endMs);

struct VideoTimestampsInput {
    std::string mkvmerge, mkvextract;  // the programs
    std::string video;                 // the elementary stream
    std::string scratch;               // a name to put the stream's own MKV and times under
    std::string output;                // the timestamp file written
    std::vector<PartPictures> parts;
    double endMs = 0;  // where the title ends
};

// Writes the timestamp file; raises QuarnelError with the reason when a program fails or the
// pictures it times are not those of the parts.
void writeVideoTimestamps(const VideoTimestampsInput& in);

}  // namespace quarnel
