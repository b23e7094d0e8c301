// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/audio_frames.h"

#include "codecs/mpeg_audio.h"

#include <array>

#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"

namespace quarnel {
namespace {

constexpr double kTicksPerSecond = 90000.0;

constexpr uint16_t kDolbySync = 0x0B77;
constexpr uint8_t kLastAc3Bsid = 10;   // bsid 11 to 16 is E-AC-3
constexpr uint8_t kEac3Dependent = 1;  // strmtyp of a dependent substream frame
constexpr std::array<uint32_t, 3> kEac3HalfRates = {24000, 22050, 16000};  // by fscod2

constexpr uint32_t kDtsCoreSync = 0x7FFE8001;
constexpr uint32_t kDtsHdSync = 0x64582025;
constexpr size_t kDtsHeaderBytes = 11;

constexpr uint32_t kTrueHdMajorSync = 0xF8726FBA;
constexpr uint32_t kMlpMajorSync = 0xF8726FBB;
// An MLP or TrueHD access unit holds 40 samples of the base rate (48 or 44.1 kHz), and twice or
// four times as many at the double and quadruple rates: the same length in time.
constexpr uint32_t kSamplesPerUnitAtBaseRate = 40;
constexpr uint8_t kFamily441 = 0x08;  // rate codes 8 to 10: 44.1, 88.2, 176.4 kHz

uint32_t be16(const uint8_t* p) {
    return uint32_t(p[0]) << 8 | p[1];
}
uint32_t be32(const uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}

}  // namespace

bool AudioFrameWalker::next(AudioFrame& frame) {
    while (pos_ < bytes_.size()) {
        double ticks = 0;
        const size_t size = frameAt(pos_, ticks);
        if (size == 0 || pos_ + size > bytes_.size()) {
            // Nothing starts here, or what starts is cut by the end: one byte on.
            ++pos_;
            ++skipped_;
            continue;
        }
        size_t end = pos_ + size;
        for (size_t more = followersAt(end); more != 0 && end + more <= bytes_.size();
             more = followersAt(end))
            end += more;
        frame = {pos_, end - pos_, ticks};
        pos_ = end;
        return true;
    }
    return false;
}

size_t AudioFrameWalker::frameAt(size_t at, double& ticks) {
    const size_t left = bytes_.size() - at;
    const uint8_t* b = bytes_.data() + at;
    switch (coding_) {
        case FramedAudio::Dolby: {
            if (left < 6 || be16(b) != kDolbySync) return 0;
            const uint8_t bsid = b[5] >> 3;
            if (bsid <= kLastAc3Bsid) {
                const uint8_t fscod = b[4] >> 6, frmsizecod = b[4] & 0x3F;
                const uint32_t rate = kAc3SampleRates[fscod];
                if (rate == 0 || frmsizecod / 2u >= kAc3BitRates.size()) return 0;
                // 1536 samples: words = 96 × bit rate / sample rate, one more for the odd codes
                // of 44.1 kHz.
                const uint32_t words =
                    96 * kAc3BitRates[frmsizecod / 2u] / rate + (fscod == 1 ? frmsizecod & 1u : 0u);
                ticks = 1536 * kTicksPerSecond / rate;
                return words * 2;
            }
            if ((b[2] >> 6) == kEac3Dependent) return 0;  // a dependent frame needs its independent one
            const uint32_t words = (uint32_t(b[2] & 7) << 8 | b[3]) + 1;
            const uint8_t fscod = b[4] >> 6;
            uint32_t rate = 0, blocks = 6;
            if (fscod == 3) {
                const uint8_t fscod2 = (b[4] >> 4) & 3;
                if (fscod2 < kEac3HalfRates.size()) rate = kEac3HalfRates[fscod2];
            } else {
                rate = kAc3SampleRates[fscod];
                constexpr std::array<uint32_t, 4> kBlocks = {1, 2, 3, 6};
                blocks = kBlocks[(b[4] >> 4) & 3];
            }
            if (rate == 0) return 0;
            ticks = 256.0 * blocks * kTicksPerSecond / rate;
            return words * 2;
        }
        case FramedAudio::Dts: {
            if (left < kDtsHeaderBytes || be32(b) != kDtsCoreSync) return 0;
            const uint32_t blocks = ((uint32_t(b[4]) & 1) << 6 | b[5] >> 2) + 1;
            const size_t size = ((size_t(b[5]) & 3) << 12 | size_t(b[6]) << 4 | b[7] >> 4) + 1;
            const uint32_t rate = kDtsSampleRates[(b[8] >> 2) & 0xF];
            if (rate == 0 || size < kDtsHeaderBytes) return 0;
            ticks = 32.0 * blocks * kTicksPerSecond / rate;
            return size;
        }
        case FramedAudio::Mpeg: {
            const std::optional<MpegAudioHeader> h = decodeMpegAudio(std::span(b, left));
            if (!h || h->frameBytes < 4) return 0;
            ticks = double(h->samples) * kTicksPerSecond / h->sampleRate;
            return h->frameBytes;
        }
        case FramedAudio::Mlp: {
            if (left < 4) return 0;
            const size_t size = size_t(be16(b) & 0x0FFF) * 2;
            if (size < 4) return 0;
            if (left >= 10) {
                const uint32_t sync = be32(b + 4);
                uint8_t rateCode = 0xFF;
                if (sync == kTrueHdMajorSync) rateCode = b[8] >> 4;
                if (sync == kMlpMajorSync) rateCode = b[9] >> 4;
                if (rateCode != 0xFF) {
                    const uint8_t step = rateCode & 0x07;
                    const uint32_t base = (rateCode & kFamily441) ? 44100 : 48000;
                    mlpTicks_ = step <= 2 ? kSamplesPerUnitAtBaseRate * kTicksPerSecond / base : 0;
                }
            }
            // Units before the first major sync cannot be decoded: they are passed over.
            if (mlpTicks_ == 0) return 0;
            ticks = mlpTicks_;
            return size;
        }
    }
    return 0;
}

size_t AudioFrameWalker::followersAt(size_t at) const {
    const size_t left = bytes_.size() - at;
    const uint8_t* b = bytes_.data() + at;
    if (coding_ == FramedAudio::Dolby) {
        // A dependent frame, or an independent one of a further substream, belongs to the
        // program of the frame before it.
        if (left < 6 || be16(b) != kDolbySync || (b[5] >> 3) <= kLastAc3Bsid) return 0;
        const bool dependent = (b[2] >> 6) == kEac3Dependent;
        const bool laterSubstream = ((b[2] >> 3) & 7) != 0;
        if (!dependent && !laterSubstream) return 0;
        return ((size_t(b[2] & 7) << 8 | b[3]) + 1) * 2;
    }
    if (coding_ == FramedAudio::Dts) {
        if (left < 10 || be32(b) != kDtsHdSync) return 0;
        BitReader r(std::span(b, left), 5);
        r.getbits(2);  // substream index
        const bool longHeader = r.getbits(1) != 0;
        r.getbits(longHeader ? 12 : 8);  // header size
        return size_t(r.getbits(longHeader ? 20 : 16)) + 1;
    }
    return 0;
}

}  // namespace quarnel
