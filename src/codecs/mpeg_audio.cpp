// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/mpeg_audio.h"

#include <array>

#include "codecs/analysers.h"

namespace quarnel {
namespace {

constexpr size_t kHeaderBytes = 4;
// kbit/s by bit rate index: MPEG-1 Layers I, II, III; MPEG-2 and 2.5 Layer I, Layers II and III.
constexpr std::array<std::array<uint16_t, 15>, 5> kBitRates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
}};
constexpr std::array<uint32_t, 3> kMpeg1Rates = {44100, 48000, 32000};
constexpr const char* kLayerNames[] = {"", "I", "II", "III"};
constexpr const char* kChannelModes[] = {"stereo", "joint stereo", "dual channel", "mono"};

}  // namespace

std::string MpegAudioHeader::name() const {
    return std::string(version == 1   ? "MPEG-1"
                       : version == 2 ? "MPEG-2"
                                      : "MPEG-2.5") +
           " Layer " + kLayerNames[layer];
}

std::optional<MpegAudioHeader> decodeMpegAudio(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderBytes || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0) return std::nullopt;
    const uint8_t versionBits = (frame[1] >> 3) & 3, layerBits = (frame[1] >> 1) & 3;
    const uint8_t rateIndex = frame[2] >> 4, rateBits = (frame[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || rateBits == 3)
        return std::nullopt;
    MpegAudioHeader h;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h.layer = uint8_t(4 - layerBits);
    const size_t table = h.version == 1 ? h.layer - 1 : h.layer == 1 ? 3 : 4;
    h.bitRate = uint32_t(kBitRates[table][rateIndex]) * 1000;
    h.sampleRate = kMpeg1Rates[rateBits] / (h.version == 1 ? 1 : h.version == 2 ? 2 : 4);
    h.channelMode = frame[3] >> 6;
    const uint32_t padding = (frame[2] >> 1) & 1;
    h.samples = h.layer == 1 ? 384 : (h.layer == 3 && h.version != 1) ? 576 : 1152;
    h.frameBytes = h.layer == 1 ? (12 * h.bitRate / h.sampleRate + padding) * 4
                                : h.samples / 8 * h.bitRate / h.sampleRate + padding;
    return h;
}

void analyseMpegAudio(const AnalyserInput& in, MessageLog& log) {
    const auto p = in.payload;
    for (size_t i = 0; i + kHeaderBytes <= p.size(); ++i) {
        const std::optional<MpegAudioHeader> h = decodeMpegAudio(p.subspan(i));
        if (!h) continue;
        log.log("   Stream " + std::to_string(in.index) + " is " + h->name());
        log.log("   Sampling frequency = " + std::to_string(h->sampleRate) + " Hz");
        log.log("   Bit rate = " + std::to_string(h->bitRate / 1000) + " kbit/s");
        log.log("   Channel mode = " + std::string(kChannelModes[h->channelMode]));
        if (in.facts) {
            in.facts->sampleRate = h->sampleRate;
            in.facts->bitRate = h->bitRate;
            in.facts->channels = h->channels();
            in.facts->profile = h->name();
        }
        return;
    }
}

}  // namespace quarnel
