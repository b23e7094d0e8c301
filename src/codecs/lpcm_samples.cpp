// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/lpcm_samples.h"

#include <algorithm>

#include "codecs/channel_assignments.h"
#include "codecs/lpcm.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr uint8_t kUnusedGroup = 0xF;

// Bytes of one group's block in a unit of `frames` frames.
size_t blockBytes(uint8_t channels, uint8_t bits, uint8_t frames) {
    const size_t samples = size_t(channels) * frames;
    return samples * 2 + (bits == 24 ? samples : bits == 20 ? samples / 2 : 0);
}

// Un-groups one group's block: its samples go to channels [firstChannel, firstChannel + channels).
void ungroupBlock(const LpcmLayout& l, const uint8_t* block, uint8_t channels, uint8_t bits,
                  uint8_t firstChannel, uint8_t* out) {
    const size_t samples = size_t(channels) * l.framesPerUnit;
    const size_t outBytes = l.outputSampleBytes();
    const unsigned shift = unsigned(outBytes * 8 - bits);
    const uint8_t* rest = block + samples * 2;
    for (size_t i = 0; i < samples; ++i) {
        uint32_t v = uint32_t(block[2 * i]) << 8 | block[2 * i + 1];
        if (bits == 24) v = v << 8 | rest[i];
        if (bits == 20) v = v << 4 | ((i % 2 == 0 ? rest[i / 2] >> 4 : rest[i / 2]) & 0xF);
        v <<= shift;
        const size_t frame = i / channels, channel = firstChannel + i % channels;
        uint8_t* o = out + (frame * l.channels + channel) * outBytes;
        for (size_t k = 0; k < outBytes; ++k) o[k] = uint8_t(v >> (8 * k));
    }
}

uint8_t bitsOfGroup(uint8_t code) {
    const std::optional<uint8_t> bits = lpcmBitsOf(code);
    if (!bits)
        throw QuarnelError("its word length code " + std::to_string(code) +
                           " is not one of 16, 20 or 24 bits");
    return *bits;
}

LpcmStreamFormat dvdVideoFormat(std::span<const uint8_t> header) {
    const std::optional<LpcmHeader> h = decodeLpcm(header);
    if (!h || !h->format) throw QuarnelError("its private header is too short to hold the format");
    LpcmStreamFormat f;
    const uint8_t bits = bitsOfGroup(h->format->quantizationWordLength);
    const auto rate = lpcmRateOf(h->format->audioSamplingFrequency);
    if (!rate) throw QuarnelError("its sampling frequency code is undefined");
    f.sampleRate = *rate;
    f.layout.channels = f.layout.group1Channels = uint8_t(h->format->numberOfAudioChannels + 1);
    f.layout.group1Bits = f.layout.group2Bits = bits;
    f.layout.framesPerUnit = bits == 16 ? 1 : 2;
    return f;
}

LpcmStreamFormat dvdAudioFormat(std::span<const uint8_t> header) {
    const std::optional<AobLpcmHeader> h = decodeAobLpcm(header);
    if (!h) throw QuarnelError("its private header is too short to hold the format");
    const std::optional<ChannelAssignment> assignment = channelAssignment(h->channelAssignment);
    if (!assignment)
        throw QuarnelError("its channel assignment " + std::to_string(h->channelAssignment) +
                           " is undefined");
    LpcmStreamFormat f;
    f.channelAssignment = h->channelAssignment;
    f.layout.channels = assignment->channels;
    f.layout.group1Channels = assignment->group1Channels;
    f.layout.group2First = true;
    const uint8_t bits1 = bitsOfGroup(h->group1Bits);
    const auto rate = lpcmRateOf(h->group1Rate);
    if (!rate) throw QuarnelError("its sampling frequency code is undefined");
    f.sampleRate = *rate;
    f.layout.group1Bits = f.layout.group2Bits = bits1;
    if (f.layout.group2Channels() > 0) {
        // Group 2 may be coded apart (fewer bits); "unused" leaves it at group 1's values.
        if (h->group2Bits != kUnusedGroup) f.layout.group2Bits = bitsOfGroup(h->group2Bits);
        if (h->group2Rate != kUnusedGroup && h->group2Rate != h->group1Rate)
            throw QuarnelError("its two channel groups have different sampling frequencies");
    }
    const bool oneGroupOf16 = f.layout.group2Channels() == 0 && bits1 == 16;
    f.layout.framesPerUnit = oneGroupOf16 ? 1 : 2;
    return f;
}

}  // namespace

uint8_t LpcmLayout::outputBits() const {
    return group2Channels() > 0 ? std::max(group1Bits, group2Bits) : group1Bits;
}

size_t LpcmLayout::unitBytes() const {
    return blockBytes(group1Channels, group1Bits, framesPerUnit) +
           (group2Channels() > 0 ? blockBytes(group2Channels(), group2Bits, framesPerUnit) : 0);
}

LpcmStreamFormat lpcmFormatOf(std::span<const uint8_t> privateHeader, bool aob) {
    return aob ? dvdAudioFormat(privateHeader) : dvdVideoFormat(privateHeader);
}

void ungroupLpcm(const LpcmLayout& l, const uint8_t* unit, uint8_t* out) {
    const size_t block1 = blockBytes(l.group1Channels, l.group1Bits, l.framesPerUnit);
    if (l.group2Channels() == 0) {
        ungroupBlock(l, unit, l.group1Channels, l.group1Bits, 0, out);
        return;
    }
    const size_t block2 = blockBytes(l.group2Channels(), l.group2Bits, l.framesPerUnit);
    const uint8_t* first = unit;
    const uint8_t* second = unit + (l.group2First ? block2 : block1);
    const uint8_t* group1 = l.group2First ? second : first;
    const uint8_t* group2 = l.group2First ? first : second;
    ungroupBlock(l, group1, l.group1Channels, l.group1Bits, 0, out);
    ungroupBlock(l, group2, l.group2Channels(), l.group2Bits, l.group1Channels, out);
}

}  // namespace quarnel
