// The stream table: which stream id sits in each video, audio and subpicture slot of the
// file read last, and whether each slot's first time stamp has been reported.
#pragma once

#include <array>
#include <cstdint>

namespace quarnel {

constexpr int kVideoSlots = 16;  // only 0 and 1 are ever filled
constexpr int kAudioSlots = 16;
constexpr int kSubSlots = 32;

struct StreamTable {
    std::array<int32_t, kVideoSlots> video;
    std::array<int32_t, kAudioSlots> audio;
    std::array<int32_t, kSubSlots> sub;
    std::array<bool, 2> videoFirstPts;
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
