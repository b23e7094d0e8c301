// SPDX-License-Identifier: GPL-3.0-or-later
// Video frames counted in the payload, by the start code that opens each picture, and the
// frame report of a run.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "app/run_values.h"
#include "formats/stream_kinds.h"
#include "report/message_log.h"

namespace quarnel {

// Counts into the run's counted frames; a start code split between two payload pieces (of
// the same video slot) is counted once.
class FrameCounter {
  public:
    explicit FrameCounter(RunValues& run) : run_(run) { window_.fill(0xFFFFFFFF); }
    // Counts and windows back to nothing.
    void reset();
    void count(std::span<const uint8_t> payload, int slot, Coding coding);

  private:
    RunValues& run_;
    std::array<uint32_t, kUsedVideoSlots> window_{};
};

// The frames counted in each video stream and the frames calculated from the navigation
// packs' duration and the stream's frame rate.
void reportFrames(const RunValues& run, MessageLog& log, bool showDuration);

}  // namespace quarnel
