// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/audio/lpcm_wav.h"

#include <algorithm>
#include <numeric>

#include "codecs/channel_assignments.h"

namespace quarnel {
namespace {

constexpr size_t kUnitsPerWrite = 4096;

uint32_t maskBitOf(Speaker s) {
    using namespace wav_speaker;
    switch (s) {
        case Speaker::Left:
            return kFrontLeft;
        case Speaker::Right:
            return kFrontRight;
        case Speaker::Centre:
            return kFrontCentre;
        case Speaker::Lfe:
            return kLfe;
        case Speaker::LeftSurround:
            return kBackLeft;
        case Speaker::RightSurround:
            return kBackRight;
        case Speaker::Surround:
            return kBackCentre;
    }
    return 0;
}

}  // namespace

LpcmWavFormat wavFormatOf(const LpcmStreamFormat& f) {
    LpcmWavFormat w;
    const LpcmLayout& l = f.layout;
    w.wav.sampleRate = f.sampleRate;
    w.wav.channels = l.channels;
    w.wav.containerBits = uint16_t(l.outputSampleBytes() * 8);
    w.wav.validBits = l.outputBits();
    std::iota(w.position.begin(), w.position.end(), uint8_t(0));
    const std::optional<ChannelAssignment> assignment =
        f.channelAssignment ? channelAssignment(*f.channelAssignment) : std::nullopt;
    if (!assignment) {
        w.wav.channelMask = channelMaskOfCount(l.channels);
        return w;
    }
    // A WAV frame holds its channels in the order of their mask bits.
    w.wav.channelMask = 0;
    for (uint8_t c = 0; c < assignment->channels; ++c) {
        const uint32_t bit = maskBitOf(assignment->speakers[c]);
        w.wav.channelMask |= bit;
        uint8_t before = 0;
        for (uint8_t k = 0; k < assignment->channels; ++k) before += maskBitOf(assignment->speakers[k]) < bit;
        w.position[c] = before;
    }
    return w;
}

void LpcmWav::start(OutputFile& out, std::span<const uint8_t> privateHeader, bool aob) {
    const LpcmStreamFormat f = lpcmFormatOf(privateHeader, aob);
    layout_ = f.layout;
    format_ = wavFormatOf(f);
    reorder_ = false;
    for (uint8_t c = 0; c < layout_.channels; ++c) reorder_ |= format_.position[c] != c;
    frame_.resize(size_t(layout_.framesPerUnit) * layout_.channels * layout_.outputSampleBytes());
    writer_.emplace(out, format_.wav);
}

void LpcmWav::convert(const uint8_t* units, size_t count) {
    const size_t sampleBytes = layout_.outputSampleBytes();
    const size_t frameBytes = sampleBytes * layout_.channels;
    samples_.resize(frame_.size() * count);
    uint8_t* o = samples_.data();
    for (size_t u = 0; u < count; ++u, units += layout_.unitBytes(), o += frame_.size()) {
        if (!reorder_) {
            ungroupLpcm(layout_, units, o);
            continue;
        }
        ungroupLpcm(layout_, units, frame_.data());
        for (size_t f = 0; f < layout_.framesPerUnit; ++f)
            for (size_t c = 0; c < layout_.channels; ++c)
                std::copy_n(frame_.data() + f * frameBytes + c * sampleBytes, sampleBytes,
                            o + f * frameBytes + format_.position[c] * sampleBytes);
    }
    writer_->write(samples_);
}

void LpcmWav::write(std::span<const uint8_t> payload) {
    if (!writer_) return;
    const size_t unitBytes = layout_.unitBytes();
    if (!unit_.empty()) {
        const size_t take = std::min(unitBytes - unit_.size(), payload.size());
        unit_.insert(unit_.end(), payload.begin(), payload.begin() + long(take));
        payload = payload.subspan(take);
        if (unit_.size() < unitBytes) return;
        convert(unit_.data(), 1);
        unit_.clear();
    }
    while (payload.size() >= unitBytes) {
        const size_t units = std::min(payload.size() / unitBytes, kUnitsPerWrite);
        convert(payload.data(), units);
        payload = payload.subspan(units * unitBytes);
    }
    unit_.assign(payload.begin(), payload.end());
}

void LpcmWav::finish() {
    if (writer_) writer_->finish();
}

}  // namespace quarnel
