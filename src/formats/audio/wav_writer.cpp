// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/audio/wav_writer.h"

#include <cstring>

namespace quarnel {
namespace {

constexpr uint16_t kExtensible = 0xFFFE;
constexpr uint16_t kExtensionBytes = 22;
// KSDATAFORMAT_SUBTYPE_PCM
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kDs64Bytes = 28;  // RIFF size, data size, sample count (64 bits each), table length
constexpr uint32_t kFmtBytes = 40;
constexpr uint32_t kSizeInDs64 = 0xFFFFFFFF;

// Chunk offsets in the header.
constexpr size_t kRiffSizeAt = 4;
constexpr size_t kJunkAt = 12;
constexpr size_t kFmtAt = kJunkAt + 8 + kDs64Bytes;
constexpr size_t kDataAt = kFmtAt + 8 + kFmtBytes;
static_assert(kDataAt + 8 == kWavHeaderBytes);

struct Put {
    uint8_t* p;
    void tag(size_t at, const char* t) const { std::memcpy(p + at, t, 4); }
    void u16(size_t at, uint32_t v) const {
        p[at] = uint8_t(v);
        p[at + 1] = uint8_t(v >> 8);
    }
    void u32(size_t at, uint32_t v) const {
        u16(at, v & 0xFFFF);
        u16(at + 2, v >> 16);
    }
    void u64(size_t at, uint64_t v) const {
        u32(at, uint32_t(v));
        u32(at + 4, uint32_t(v >> 32));
    }
};

}  // namespace

std::array<uint8_t, kWavHeaderBytes> wavHeader(const WavFormat& f, uint64_t dataBytes) {
    std::array<uint8_t, kWavHeaderBytes> h{};
    const Put put{h.data()};
    const uint64_t riffBytes = kWavHeaderBytes - 8 + dataBytes + (dataBytes & 1);
    const bool rf64 = riffBytes > 0xFFFFFFFFu;
    const uint32_t blockAlign = uint32_t(f.channels) * (f.containerBits / 8);
    put.tag(0, rf64 ? "RF64" : "RIFF");
    put.u32(kRiffSizeAt, rf64 ? kSizeInDs64 : uint32_t(riffBytes));
    put.tag(8, "WAVE");
    put.tag(kJunkAt, rf64 ? "ds64" : "JUNK");
    put.u32(kJunkAt + 4, kDs64Bytes);
    if (rf64) {
        put.u64(kJunkAt + 8, riffBytes);
        put.u64(kJunkAt + 16, dataBytes);
        put.u64(kJunkAt + 24, blockAlign ? dataBytes / blockAlign : 0);
    }
    put.tag(kFmtAt, "fmt ");
    put.u32(kFmtAt + 4, kFmtBytes);
    const size_t fmt = kFmtAt + 8;
    put.u16(fmt, kExtensible);
    put.u16(fmt + 2, f.channels);
    put.u32(fmt + 4, f.sampleRate);
    put.u32(fmt + 8, f.sampleRate * blockAlign);
    put.u16(fmt + 12, blockAlign);
    put.u16(fmt + 14, f.containerBits);
    put.u16(fmt + 16, kExtensionBytes);
    put.u16(fmt + 18, f.validBits);
    put.u32(fmt + 20, f.channelMask);
    std::memcpy(h.data() + fmt + 24, kPcmSubFormat, sizeof kPcmSubFormat);
    put.tag(kDataAt, "data");
    put.u32(kDataAt + 4, rf64 ? kSizeInDs64 : uint32_t(dataBytes));
    return h;
}

uint32_t channelMaskOfCount(uint16_t channels) {
    using namespace wav_speaker;
    constexpr uint32_t kFront = kFrontLeft | kFrontRight;
    constexpr uint32_t kFiveOne = kFront | kFrontCentre | kLfe | kBackLeft | kBackRight;
    switch (channels) {
        case 1:
            return kFrontCentre;
        case 2:
            return kFront;
        case 3:
            return kFront | kFrontCentre;
        case 4:
            return kFront | kBackLeft | kBackRight;
        case 5:
            return kFront | kFrontCentre | kBackLeft | kBackRight;
        case 6:
            return kFiveOne;
        case 7:
            return kFiveOne | kBackCentre;
        case 8:
            return kFiveOne | kSideLeft | kSideRight;
        default:
            return 0;
    }
}

WavWriter::WavWriter(OutputFile& out, const WavFormat& format) : out_(out), format_(format) {
    out_.write(wavHeader(format_, 0));
}

void WavWriter::finish() {
    if (dataBytes_ & 1) out_.write(std::array<uint8_t, 1>{0});
    out_.writeAt(0, wavHeader(format_, dataBytes_));
}

}  // namespace quarnel
