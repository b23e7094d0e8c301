// SPDX-License-Identifier: GPL-3.0-or-later
// An LPCM stream (DVD-Video, HD DVD or DVD-Audio) written as a WAV file: the format from the
// private header of its first packet, every payload piece un-grouped as it comes (a unit cut by
// the end of a packet or a read chunk waits for its rest) and each frame's channels put in the
// order of the channel mask.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codecs/lpcm_samples.h"
#include "formats/audio/wav_writer.h"
#include "io/files.h"

namespace quarnel {

// The WAV format of an LPCM stream and where each of the stream's channels goes in a frame.
struct LpcmWavFormat {
    WavFormat wav;
    std::array<uint8_t, 8> position{};  // by the stream's channel index
};
LpcmWavFormat wavFormatOf(const LpcmStreamFormat& format);

class LpcmWav {
  public:
    // Starts the file in `out` (created and still empty) from a packet's private header, sub-stream
    // id first (a DVD-Audio header when `aob`); raises QuarnelError with the reason, the file not
    // started, when the header describes nothing that a WAV file holds.
    void start(OutputFile& out, std::span<const uint8_t> privateHeader, bool aob);
    bool started() const { return writer_.has_value(); }
    void write(std::span<const uint8_t> payload);
    // Writes the sizes into the header; the bytes of a unit left unfinished at the end are dropped.
    void finish();

  private:
    void convert(const uint8_t* units, size_t count);

    LpcmLayout layout_;
    LpcmWavFormat format_;
    bool reorder_ = false;
    std::optional<WavWriter> writer_;
    std::vector<uint8_t> unit_;     // the bytes of a unit begun in an earlier piece
    std::vector<uint8_t> frame_;    // one unit un-grouped, in the stream's channel order
    std::vector<uint8_t> samples_;  // what goes to the file next
};

}  // namespace quarnel
