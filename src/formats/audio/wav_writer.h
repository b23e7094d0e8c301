// SPDX-License-Identifier: GPL-3.0-or-later
// WAV files of PCM samples: WAVE_FORMAT_EXTENSIBLE with a channel mask, the sizes written when
// the samples are all in; past 4 GiB the file becomes RF64, its sizes in the ds64 chunk that
// stands in the place the JUNK chunk keeps free.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "io/files.h"

namespace quarnel {

struct WavFormat {
    uint32_t sampleRate = 48000;
    uint16_t channels = 2;
    uint16_t containerBits = 16;  // 16 or 24
    uint16_t validBits = 16;      // 20 in a 24-bit container
    uint32_t channelMask = 0x3;
};

// Speaker bits of the channel mask, in the order the samples of a frame must follow.
namespace wav_speaker {
constexpr uint32_t kFrontLeft = 0x1, kFrontRight = 0x2, kFrontCentre = 0x4, kLfe = 0x8, kBackLeft = 0x10,
                   kBackRight = 0x20, kBackCentre = 0x100, kSideLeft = 0x200, kSideRight = 0x400;
}

constexpr size_t kWavHeaderBytes = 104;

// The header of a file with `dataBytes` bytes of samples: RIFF, or RF64 when its sizes pass 32 bits.
std::array<uint8_t, kWavHeaderBytes> wavHeader(const WavFormat& format, uint64_t dataBytes);

// The usual mask of a channel count that names no speakers (DVD-Video and HD DVD LPCM).
uint32_t channelMaskOfCount(uint16_t channels);

// Writes a WAV file into an output that was created and is still empty: the header at once,
// the samples as they come, the sizes by finish() (before the output's own finish()).
class WavWriter {
  public:
    WavWriter(OutputFile& out, const WavFormat& format);
    // Interleaved little-endian samples, whole frames or not.
    void write(std::span<const uint8_t> samples) {
        out_.write(samples);
        dataBytes_ += samples.size();
    }
    void finish();
    uint64_t dataBytes() const { return dataBytes_; }

  private:
    OutputFile& out_;
    WavFormat format_;
    uint64_t dataBytes_ = 0;
};

}  // namespace quarnel
