// SPDX-License-Identifier: GPL-3.0-or-later
// The time stamps a Demux notes for a muxer: each source file's span from its navigation packs
// and its video's first PTS, and for each audio stream where in its output each packet with a
// PTS begins. With these a stream's frames can be followed across the files of a split title.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/time_stamp.h"
#include "formats/stream_kinds.h"

namespace quarnel {

// An audio packet with a PTS: the first frame that begins at or after `offset` (in the
// stream's output) begins at `pts`.
struct PtsAnchor {
    uint64_t offset = 0;
    TimeStamp pts = 0;
    uint32_t file = 0;  // index into DemuxTiming::files
};

struct FileTiming {
    std::string name;
    std::optional<uint32_t> startPtm, endPtm;  // of its first and last navigation pack
    std::array<MaybeTimeStamp, kUsedVideoSlots> firstVideoPts;  // per video slot written
};

// A later file whose navigation start lies further than this from where the file before it
// ended restarts or jumps its time stamps.
constexpr int64_t kRestartTicks = 90000;

struct DemuxTiming {
    std::vector<FileTiming> files;
    std::array<std::vector<PtsAnchor>, kAudioSlots> audio;

    void beginFile(const std::string& name) { files.push_back({name, {}, {}, {}}); }
    FileTiming& current() { return files.back(); }
    uint32_t currentIndex() const { return uint32_t(files.size() - 1); }

    // Ticks added to file k's time stamps so that the title's time line stays continuous: a
    // file that restarts or jumps is moved to go on where the file before it ended.
    int64_t shiftOf(size_t k) const {
        int64_t shift = 0;
        for (size_t j = 1; j <= k && j < files.size(); ++j) {
            const FileTiming& before = files[j - 1];
            const FileTiming& file = files[j];
            if (!before.endPtm || !file.startPtm) continue;
            const int64_t jump = int32_t(*file.startPtm - *before.endPtm);
            if (jump > kRestartTicks || jump < -kRestartTicks) shift -= jump;
        }
        return shift;
    }
};

}  // namespace quarnel
