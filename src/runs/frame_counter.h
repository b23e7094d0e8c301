// SPDX-License-Identifier: GPL-3.0-or-later
// Video frames counted in the payload, by the start code that opens each picture, and the
// frame report of a run.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "app/run_values.h"
#include "formats/ps/stream_kinds.h"
#include "io/files.h"
#include "report/message_log.h"

namespace quarnel {

// Counts into the run's counted frames; a start code split between two payload pieces (of
// the same video slot) is counted once.
class FrameCounter {
  public:
    explicit FrameCounter(RunValues& run) : run_(run) {
        window_.fill(0xFFFFFFFF);
        writtenWindow_.fill(0xFFFFFFFF);
    }
    // Counts and windows back to nothing.
    void reset();
    // Counts a payload piece at once, on the caller's thread.
    void count(std::span<const uint8_t> payload, int slot, Coding coding);
    // The pieces written to `out` marked with markOf() are counted into `slot` right after
    // they are written, on the writer's thread, while their bytes are in its cache: a Demux's
    // own thread then never reads the payload of a mapped input. Their counts are the run's
    // after takeWritten().
    void countAfterWrite(OutputFile& out, int slot);
    static uint8_t markOf(Coding coding) { return uint8_t(uint8_t(coding) + 1); }
    // Once every output is written or dropped: the counts made after writing become the
    // run's, unless the run was cancelled.
    void takeWritten();

  private:
    RunValues& run_;
    std::array<uint32_t, kUsedVideoSlots> window_{};  // the last four bytes of each slot's payload
    // The same for the counts made after writing, on the writer's thread, until takeWritten().
    std::array<uint32_t, kUsedVideoSlots> writtenWindow_{};
    std::array<int32_t, kUsedVideoSlots> written_{};
};

// The frames counted in each video stream and the frames calculated from the navigation
// packs' duration and the stream's frame rate.
void reportFrames(const RunValues& run, MessageLog& log, bool showDuration);

}  // namespace quarnel
