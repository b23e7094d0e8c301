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
#include "formats/ps/navigation.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

// An audio packet with a PTS: the first frame that begins at or after `offset` (in the
// stream's output) begins at `pts`.
struct PtsAnchor {
    uint64_t offset = 0;
    TimeStamp pts = 0;
    uint32_t file = 0;  // index into DemuxTiming::files
};

// A stretch of the title whose time stamps run on: a file, or the part of a file from a VOBU
// whose times do not go on from the VOBU before it.
struct FileTiming {
    std::string name;
    std::optional<uint32_t> startPtm, endPtm;                   // of its first and last navigation pack
    std::array<MaybeTimeStamp, kUsedVideoSlots> firstVideoPts;  // per video slot written
    uint32_t fromVobu = 0;  // the VOBU of its file it begins with (0: the file's start)
    uint32_t vobus = 0;     // the VOBUs whose times it took
};

// A later file whose navigation start lies further than this from where the file before it
// ended restarts or jumps its time stamps.
constexpr int64_t kRestartTicks = 90000;

// A title that stops inside the last EVOBU of its last part: the video packets with a PTS from
// about a second before its end on, each slot's in the order they come, so that the pictures
// after the end can be found and left out.
struct VideoTail {
    static constexpr int64_t kBeforeEndTicks = 90000;
    std::optional<TimeStamp> end;  // where the title ends, in the last part's time stamps
    std::array<std::vector<PtsAnchor>, kUsedVideoSlots> anchors;

    // A packet of slot `slot` with a PTS, at `offset` in its output (noted once a packet).
    void note(size_t slot, uint64_t offset, TimeStamp pts) {
        std::vector<PtsAnchor>& a = anchors[slot];
        if (!a.empty() && a.back().pts == pts) return;
        if (a.empty() && stampDistance(*end, pts) > kBeforeEndTicks) return;
        a.push_back({offset, pts, 0});
    }
};

// A title that starts inside the first EVOBU of its first part: the video packets with a PTS
// from the part's start to about a second past the title's start, so that the pictures shown
// before it can be found. Once cut, how many of them each slot keeps as references.
struct VideoHead {
    static constexpr int64_t kAfterStartTicks = 90000;
    std::optional<TimeStamp> start;  // where the title starts, in the first part's time stamps
    bool open = false;               // the first part is being read
    std::array<std::vector<PtsAnchor>, kUsedVideoSlots> anchors;
    std::array<bool, kUsedVideoSlots> noted{};         // a slot's packets past the margin came
    std::array<size_t, kUsedVideoSlots> references{};  // pictures before the start kept

    void note(size_t slot, uint64_t offset, TimeStamp pts) {
        if (!open || noted[slot]) return;
        if (stampDistance(pts, *start) > kAfterStartTicks) noted[slot] = true;
        anchors[slot].push_back({offset, pts, 0});
    }
};

struct DemuxTiming {
    std::vector<FileTiming> files;
    std::array<std::vector<PtsAnchor>, kAudioSlots> audio;
    bool anchorsKept = true;  // the audio anchors are noted (a muxer needs them)
    VideoTail videoTail;
    VideoHead videoHead;

    void beginFile(const std::string& name) {
        files.push_back({name, {}, {}, {}, 0, 0});
        vobusInFile_ = 0;
        for (auto& slot : videoTail.anchors) slot.clear();
    }
    FileTiming& current() { return files.back(); }
    uint32_t currentIndex() const { return uint32_t(files.size() - 1); }

    // The times of the file's next DVD VOBU: one whose start lies further than kRestartTicks
    // from the end of the VOBU before it begins a new stretch.
    void vobu(VobuTimes times) {
        if (current().vobus > 0 && current().endPtm) {
            const int64_t jump = int32_t(times.startPtm - *current().endPtm);
            if (jump > kRestartTicks || jump < -kRestartTicks)
                files.push_back({current().name, {}, {}, {}, vobusInFile_, 0});
        }
        ++vobusInFile_;
        FileTiming& t = current();
        if (t.vobus++ == 0) t.startPtm = times.startPtm;
        t.endPtm = times.endPtm;
    }

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

  private:
    uint32_t vobusInFile_ = 0;
};

}  // namespace quarnel
