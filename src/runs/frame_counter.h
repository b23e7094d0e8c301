// SPDX-License-Identifier: GPL-3.0-or-later
// Video frames counted in the payload, by the start code that opens each picture, and the
// frame report of a run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "app/run_values.h"
#include "formats/stream_kinds.h"
#include "io/mapped_window.h"
#include "io/task_lane.h"
#include "report/message_log.h"

namespace quarnel {

// Counts into the run's counted frames; a start code split between two payload pieces (of
// the same video slot) is counted once.
class FrameCounter {
  public:
    // `beside`: count on a thread of its own when there is a second core (a Read; a Demux's
    // second core writes).
    explicit FrameCounter(RunValues& run, bool beside = false)
        : run_(run), lane_(beside && aSecondCoreToRunOn()) {
        window_.fill(0xFFFFFFFF);
    }
    // Counts and windows back to nothing.
    void reset();
    void count(std::span<const uint8_t> payload, int slot, Coding coding);
    // Counts a payload that lies in `input`, a window of the mapped input: with a second core,
    // the pieces of one window are counted together beside the pass, and the counts are the
    // run's once finish() returns.
    void count(std::span<const uint8_t> payload, int slot, Coding coding,
               const std::shared_ptr<const MappedWindow>& input);
    void finish();

  private:
    struct Piece {
        const uint8_t* bytes;
        size_t size;
        int slot;
        Coding coding;
    };
    void handOver();

    RunValues& run_;
    std::array<uint32_t, kUsedVideoSlots> window_{};  // the last four bytes of each slot's payload
    std::vector<Piece> pending_;
    std::shared_ptr<const MappedWindow> pendingInput_;  // the window the pending pieces lie in
    TaskLane lane_;
};

// The frames counted in each video stream and the frames calculated from the navigation
// packs' duration and the stream's frame rate.
void reportFrames(const RunValues& run, MessageLog& log, bool showDuration);

}  // namespace quarnel
