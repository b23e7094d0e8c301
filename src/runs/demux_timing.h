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

// A part's video as the title plays it: the part's window where it lies inside its data (a
// clip that begins or ends inside an EVOBU), where the part's bytes lie in each video output,
// and its video packets with a PTS near the window's ends, so that the pictures outside it can
// be found and left out. Once cut: what each slot keeps.
struct PartVideo {
    static constexpr int64_t kMarginTicks = 90000;            // about a second each side of a window end
    std::optional<TimeStamp> start, end;                      // in the part's own time stamps
    std::array<uint64_t, kUsedVideoSlots> begin{}, finish{};  // [begin, finish) of each output
    std::array<std::vector<PtsAnchor>, kUsedVideoSlots> head, tail;
    std::array<bool, kUsedVideoSlots> headNoted{};  // a slot's packets past the head's margin came
    std::array<size_t, kUsedVideoSlots> headReferences{}, tailReferences{};  // kept outside the window
    std::array<uint64_t, kUsedVideoSlots> cutBytes{};                        // left out by the cuts

    // A packet of slot `slot` with a PTS, at `offset` in its output.
    void note(size_t slot, uint64_t offset, TimeStamp pts) {
        if (start && !headNoted[slot]) {
            if (stampDistance(pts, *start) > kMarginTicks) headNoted[slot] = true;
            head[slot].push_back({offset, pts, 0});
        }
        if (end && (!tail[slot].empty() || stampDistance(*end, pts) <= kMarginTicks))
            tail[slot].push_back({offset, pts, 0});
    }
};

struct DemuxTiming {
    std::vector<FileTiming> files;
    std::array<std::vector<PtsAnchor>, kAudioSlots> audio;
    bool anchorsKept = true;       // the audio anchors are noted (a muxer needs them)
    std::vector<PartVideo> parts;  // a disc title's parts, in the order they are read
    // A disc title's parts placed on its time line: ticks added to each part's time stamps
    // (as shiftOf gives them); empty: the parts are joined by their navigation times.
    std::vector<int64_t> placed;

    void beginFile(const std::string& name) {
        files.push_back({name, {}, {}, {}, 0, 0});
        vobusInFile_ = 0;
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
        if (k < placed.size()) return placed[k];
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
