// The stream table: which stream id sits in each video, audio and subpicture slot of the
// file read last, and whether each slot's first time stamp has been reported.
#pragma once

#include <array>
#include <cstdint>

namespace quarnel {

// How many streams of each kind a file can hold, by their slot numbers: video 0 and 1 (the
// table keeps 16 video slots, which a playlist may name), audio 0-15, subpicture 0-31.
constexpr int kVideoSlots = 16;
constexpr int kUsedVideoSlots = 2;
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
