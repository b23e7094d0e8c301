// SPDX-License-Identifier: GPL-3.0-or-later
// The stream table: which stream id sits in each video, audio and subpicture slot of the
// file read last, and whether each slot's first time stamp has been reported.
#pragma once

#include <array>
#include <cstdint>

#include "formats/ps/stream_kinds.h"

namespace quarnel {

struct StreamTable {
    std::array<int32_t, kVideoSlots> video;
    std::array<int32_t, kAudioSlots> audio;
    std::array<int32_t, kSubSlots> sub;
    std::array<bool, kUsedVideoSlots> videoFirstPts;
    std::array<bool, kAudioSlots> audioFirstPts;
    std::array<bool, kSubSlots> subFirstPts;

    StreamTable() { reset(); }
    void reset() {
        video.fill(-1);
        audio.fill(-1);
        sub.fill(-1);
        videoFirstPts.fill(false);
        audioFirstPts.fill(false);
        subFirstPts.fill(false);
    }
};

}  // namespace quarnel
