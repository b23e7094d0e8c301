// SPDX-License-Identifier: GPL-3.0-or-later
// A title's video cut to where the title plays each part. A part that stops inside its last
// EVOBU plays the pictures before its end only: those after it are left out, but for the
// reference pictures that a kept picture is predicted from. One that starts inside its first
// EVOBU leaves out the pictures shown before its start that no later picture is predicted
// from; the reference pictures stay (a muxer shows them for a moment only).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codecs/picture_units.h"
#include "codecs/time_stamp.h"
#include "io/files.h"
#include "runs/demux_timing.h"

namespace quarnel {

// The time stamp of each picture: a packet's PTS goes to the first picture whose start code
// begins in it (at or after its `offset`, before the next packet's); `regionStart` is where
// the pictures' bytes begin in the output. A picture in a packet whose time stamp went to an
// earlier one is timed from its neighbours in display order, a frame's duration apart.
std::vector<MaybeTimeStamp> pictureTimes(const std::vector<PictureUnit>& pictures,
                                         std::span<const PtsAnchor> packets, uint64_t regionStart);

// Which pictures stay, in decode order: each shown before `end`; one without a time stamp of
// its own goes with the picture decoded before it; a reference picture stays while a picture
// decoded after it stays.
std::vector<bool> picturesBeforeEnd(const std::vector<PictureUnit>& pictures,
                                    const std::vector<MaybeTimeStamp>& times, TimeStamp end);

// What a cut at one edge of a window did.
struct PictureCut {
    size_t dropped = 0;     // pictures left out
    size_t references = 0;  // pictures outside the window kept as references
    uint64_t bytes = 0;     // left out of the output
};

// Cuts a finished video output of `syntax` at `end`: the part's pictures from the first of
// `packets` (the tail's video packets with a PTS) to `partEnd`, where the part's bytes end.
PictureCut cutVideoAtEnd(OutputFile& out, VideoSyntax syntax, std::span<const PtsAnchor> packets,
                         TimeStamp end, uint64_t partEnd);

// Which pictures stay before the title's start, in decode order: each shown from `start` on,
// and every reference picture.
std::vector<bool> picturesFromStart(const std::vector<PictureUnit>& pictures,
                                    const std::vector<MaybeTimeStamp>& times, TimeStamp start);

// Cuts a finished video output of `syntax` at `start`: the part's pictures from `partBegin`,
// where its bytes begin, to the last of `packets` (its first video packets with a PTS, to past
// the start).
PictureCut cutVideoAtStart(OutputFile& out, VideoSyntax syntax, std::span<const PtsAnchor> packets,
                           TimeStamp start, uint64_t partBegin);

}  // namespace quarnel
