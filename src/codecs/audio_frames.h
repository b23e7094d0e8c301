// SPDX-License-Identifier: GPL-3.0-or-later
// The frames of an audio elementary stream, as a muxer packs them: an AC-3 or E-AC-3 syncframe
// with the dependent frames that follow it, a DTS core frame with its DTS-HD extension
// substream, an MLP or TrueHD access unit. Each frame carries its length in time, so that a
// stream's frames can be placed on a time line one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quarnel {

enum class FramedAudio : uint8_t { Dolby, Dts, Mlp, Mpeg };

struct AudioFrame {
    size_t offset = 0;  // of its first byte in the bytes walked
    size_t size = 0;    // bytes, dependent frames and extension substreams included
    double ticks = 0;   // its length in 90 kHz ticks
};

// Walks the frames of `bytes` in order. Bytes that do not start a frame of the coding (the
// tail of a frame cut off before the stream starts, damage) are passed over and counted.
class AudioFrameWalker {
  public:
    AudioFrameWalker(FramedAudio coding, std::span<const uint8_t> bytes) : coding_(coding), bytes_(bytes) {}
    // The next whole frame; false at the end. A frame cut by the end of the bytes is skipped.
    bool next(AudioFrame& frame);
    // Bytes passed over so far because no frame started there.
    uint64_t skippedBytes() const { return skipped_; }

  private:
    FramedAudio coding_;
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    uint64_t skipped_ = 0;
    double mlpTicks_ = 0;  // an access unit's length, known once a major sync has been seen

    // The frame that starts at `at`, its size (0 when none starts there) and length in ticks.
    size_t frameAt(size_t at, double& ticks);
    // The dependent parts that follow a frame: E-AC-3 dependent frames, DTS-HD substreams.
    size_t followersAt(size_t at) const;
};

}  // namespace quarnel
