// SPDX-License-Identifier: GPL-3.0-or-later
// An audio stream's frames placed on the title's time line, for a muxer: each frame takes the
// time of the packet it begins in (or follows the frame before it), frames that repeat time
// already covered (a split title's join) are dropped, and a hole in the time stamps stays a
// hole. The frames kept go to a file of their own when any were dropped, and their times to
// a timestamp file (one time in milliseconds per frame). A title that ends where the disc says
// keeps no frame that starts at or after its end, and one that starts inside its first EVOBU
// none that ends at or before its start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/audio_frames.h"
#include "runs/demux_timing.h"

namespace quarnel {

// Frames dropped, or a hole left, at one place of the time line.
struct TimelineEvent {
    double atMs = 0;      // title time of the first frame dropped, or of the hole's start
    double lengthMs = 0;  // of the frames dropped, or of the hole
    uint64_t frames = 0;  // dropped (0 for a hole)
    std::string file;     // the source file the place lies in
};

struct AudioTimeline {
    std::string streamPath;     // the frames kept: the demuxed file, or a copy without the dropped ones
    uint64_t frames = 0;        // kept
    uint64_t skippedBytes = 0;  // that began no frame (a frame cut at the start, damage)
    double firstMs = 0;         // time of the first frame kept
    std::vector<TimelineEvent> drops, gaps;
    TimelineEvent pastEnd;       // the frames left out after the title's end (frames 0: none)
    TimelineEvent beforeStart;   // the frames left out before the title's start (frames 0: none)
    TimelineEvent outsideClips;  // the frames left out at joins of clips, outside their windows
};

struct TimelineInput {
    FramedAudio coding = FramedAudio::Dolby;
    std::string demuxedPath;     // the stream as the Demux wrote it
    std::string keptPath;        // where the frames kept go, when frames are dropped
    std::string timestampsPath;  // the timestamp file
    const std::vector<PtsAnchor>* anchors = nullptr;
    const std::vector<FileTiming>* files = nullptr;
    std::vector<int64_t> fileShift;    // ticks added to each file's time stamps
    TimeStamp origin = 0;              // the PTS at title time 0
    std::optional<double> endTicks;    // title time at which the title ends, when the disc says
    std::optional<double> startTicks;  // title time at which it starts, when its data begins earlier
    // Title time [start, end) of each file's window where the title's clips join inside EVOBUs;
    // empty: every file plays whole.
    std::vector<std::pair<double, double>> fileWindows;
};

// Raises QuarnelError when a file cannot be read or written.
AudioTimeline followAudio(const TimelineInput& in);

}  // namespace quarnel
