// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/audio_frames.h"

#include "codecs/dolby.h"
#include "codecs/dts.h"
#include "codecs/mpeg_audio.h"

#include <array>

#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"

namespace quarnel {
namespace {

constexpr double kTicksPerSecond = 90000.0;

constexpr uint8_t kEac3Dependent = 1;  // strmtyp of a dependent substream frame

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
            const std::span<const uint8_t> frame(b, left);
            std::optional<DolbyFrameSize> size;
            if (const std::optional<Ac3Header> ac3 = decodeAc3(frame)) {
                size = frameSizeOf(*ac3);
            } else if (const std::optional<Eac3Header> eac3 = decodeEac3(frame)) {
                if (eac3->strmtyp == kEac3Dependent) return 0;  // a dependent frame needs its independent one
                size = frameSizeOf(*eac3);
            }
            if (!size) return 0;
            ticks = double(size->samples) * kTicksPerSecond / size->sampleRate;
            return size->bytes;
        }
        case FramedAudio::Dts: {
            if (left < kDtsHeaderBytes) return 0;
            const std::optional<DtsCoreHeader> core = decodeDtsCore(std::span(b, left));
            const std::optional<DtsFrameSize> size = core ? frameSizeOf(*core) : std::nullopt;
            if (!size) return 0;
            ticks = double(size->samples) * kTicksPerSecond / size->sampleRate;
            return size->bytes;
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
        const std::optional<Eac3Header> h = decodeEac3(std::span(b, left));
        if (!h || (h->strmtyp != kEac3Dependent && h->substreamid == 0)) return 0;
        return (size_t(h->frmsiz) + 1) * 2;
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
