// SPDX-License-Identifier: GPL-3.0-or-later
// MLP and Dolby TrueHD: every major sync in the payload, with the format fields after it.
#include "codecs/mlp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/channel_assignments.h"
#include "codecs/lpcm.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"

namespace quarnel {
namespace {

constexpr uint32_t kTrueHdSync = 0xF8726FBA;
constexpr uint32_t kMlpSync = 0xF8726FBB;
constexpr size_t kSyncBytes = 4;
constexpr size_t kFieldBytes = 4;  // the bytes after the sync word that are read

// The names of the set bits of an assignment, lowest bit first, joined with ", ".
std::string assignmentList(uint32_t bits, std::span<const ChannelGroup> groups) {
    std::string list;
    for (size_t i = 0; i < groups.size(); ++i) {
        if ((bits >> i & 1) == 0) continue;
        if (!list.empty()) list += ", ";
        list += groups[i].name;
    }
    return list;
}

// The bytes after the sync word when the frame begins with `sync`, at most kFieldBytes.
std::optional<std::span<const uint8_t>> fieldBytes(std::span<const uint8_t> frame, uint32_t sync) {
    if (frame.size() < kSyncBytes ||
        (uint32_t(frame[0]) << 24 | uint32_t(frame[1]) << 16 | uint32_t(frame[2]) << 8 | frame[3]) != sync)
        return std::nullopt;
    const auto fields = frame.subspan(kSyncBytes);
    return fields.first(std::min(fields.size(), kFieldBytes));
}

// A major sync whose field bytes are being counted, while other sync words may come between
// them: a byte that completes a sync word is not one of them, an MLP major sync is read before
// a TrueHD one whose bytes would follow, and a field that takes the byte before it as well (the
// high bits of the 8-channel assignment) takes the byte just before in the payload. The lines of the fields
// counted so far are written before any sync word's line, so that every line keeps its place.
class MajorSyncReading {
  public:
    explicit MajorSyncReading(uint32_t sync) : trueHd_(sync == kTrueHdSync) {
        for (size_t i = 0; i < kSyncBytes; ++i) bytes_[i] = uint8_t(sync >> (24 - 8 * i));
    }

    bool reading() const { return reading_; }

    void start() {
        reading_ = true;
        counted_ = 0;
        reported_ = 0;
    }

    // Counts one field byte; `previous` is the payload byte before it.
    void count(uint8_t b, uint8_t previous) {
        bytes_[kSyncBytes + counted_++] = b;
        if (trueHd_ && counted_ == 4) {
            // Byte 3 holds the 8-channel modifier above the assignment's high bits.
            uint8_t& third = bytes_[kSyncBytes + 2];
            third = uint8_t((third & 0xE0) | (previous & 0x1F));
        }
        if (counted_ == kFieldBytes) reading_ = false;
    }

    // Writes the lines of the fields counted since the last report.
    void reportNew(MessageLog& log) {
        if (counted_ == reported_) return;
        if (trueHd_) {
            TrueHdMajorSync h = *decodeTrueHdMajorSync(bytes(counted_));
            const TrueHdMajorSync done = *decodeTrueHdMajorSync(bytes(reported_));
            if (done.audioSamplingFrequency) h.audioSamplingFrequency.reset();
            if (done.sixChannelPresentation) h.sixChannelPresentation.reset();
            if (done.eightChannelPresentation) h.eightChannelPresentation.reset();
            reportTrueHdMajorSync(h, log);
        } else {
            MlpMajorSync h = *decodeMlpMajorSync(bytes(counted_));
            const MlpMajorSync done = *decodeMlpMajorSync(bytes(reported_));
            if (done.quantizationWordLength) h.quantizationWordLength.reset();
            if (done.audioSamplingFrequency) h.audioSamplingFrequency.reset();
            if (done.channelAssignment) h.channelAssignment.reset();
            reportMlpMajorSync(h, log);
        }
        reported_ = counted_;
    }

    // The values of the fields counted so far.
    void fill(StreamFacts& facts) const {
        if (counted_ == 0) return;
        if (trueHd_) {
            const TrueHdMajorSync h = *decodeTrueHdMajorSync(bytes(counted_));
            if (h.audioSamplingFrequency) facts.sampleRate = lpcmRateOf(*h.audioSamplingFrequency);
            if (h.sixChannelPresentation) facts.channels = trueHdChannels(h);
            return;
        }
        const MlpMajorSync h = *decodeMlpMajorSync(bytes(counted_));
        if (h.quantizationWordLength) facts.bitDepth = lpcmBitsOf(*h.quantizationWordLength);
        if (h.audioSamplingFrequency) facts.sampleRate = lpcmRateOf(*h.audioSamplingFrequency);
        if (h.channelAssignment)
            if (const auto a = channelAssignment(*h.channelAssignment)) facts.channels = a->channels;
    }

  private:
    // The sync word and the first n field bytes.
    std::span<const uint8_t> bytes(size_t n) const { return std::span(bytes_).first(kSyncBytes + n); }

    const bool trueHd_;
    std::array<uint8_t, kSyncBytes + kFieldBytes> bytes_{};
    bool reading_ = false;
    size_t counted_ = 0;
    size_t reported_ = 0;
};

}  // namespace

std::optional<MlpMajorSync> decodeMlpMajorSync(std::span<const uint8_t> frame) {
    const auto fields = fieldBytes(frame, kMlpSync);
    if (!fields) return std::nullopt;
    const auto b = *fields;
    MlpMajorSync h;
    if (b.size() >= 1) h.quantizationWordLength = uint8_t(b[0] >> 4);
    if (b.size() >= 2) h.audioSamplingFrequency = uint8_t(b[1] >> 4);
    if (b.size() >= 4) h.channelAssignment = uint8_t(b[3] & 0x1F);
    return h;
}

std::optional<TrueHdMajorSync> decodeTrueHdMajorSync(std::span<const uint8_t> frame) {
    const auto fields = fieldBytes(frame, kTrueHdSync);
    if (!fields) return std::nullopt;
    const auto b = *fields;
    TrueHdMajorSync h;
    if (b.size() >= 1) h.audioSamplingFrequency = uint8_t(b[0] >> 4);
    if (b.size() >= 3)
        h.sixChannelPresentation = {
            .ch2PresentationChannelModifier = uint8_t(b[1] >> 6),
            .ch6PresentationChannelModifier = uint8_t(b[1] >> 4 & 3),
            .ch6PresentationChannelAssignment = uint8_t((b[1] & 0x0F) << 1 | b[2] >> 7)};
    if (b.size() >= 4)
        h.eightChannelPresentation = {
            .ch8PresentationChannelModifier = uint8_t(b[2] >> 5 & 3),
            .ch8PresentationChannelAssignment = uint16_t((b[2] & 0x1F) << 8 | b[3])};
    return h;
}

uint32_t trueHdChannels(const TrueHdMajorSync& h) {
    const auto sum = [](uint32_t bits, const auto& groups) {
        uint32_t channels = 0;
        for (size_t i = 0; i < groups.size(); ++i)
            if (bits >> i & 1) channels += groups[i].channels;
        return channels;
    };
    if (h.eightChannelPresentation && h.eightChannelPresentation->ch8PresentationChannelAssignment != 0)
        return sum(h.eightChannelPresentation->ch8PresentationChannelAssignment, kEightChannelGroups);
    if (h.sixChannelPresentation && h.sixChannelPresentation->ch6PresentationChannelAssignment != 0)
        return sum(h.sixChannelPresentation->ch6PresentationChannelAssignment, kSixChannelGroups);
    return 2;
}

void reportMlpMajorSync(const MlpMajorSync& h, MessageLog& log) {
    if (h.quantizationWordLength)
        log.log("   Quantization length = [bl]" + std::string(kQuantizationNames[*h.quantizationWordLength]) +
                "[/bl] bits");
    if (h.audioSamplingFrequency)
        log.log("   Sampling frequency = [bl]" +
                std::string(kSamplingFrequencyNames[*h.audioSamplingFrequency]) + "[/bl] kHz");
    if (h.channelAssignment) {
        const auto assignment = channelAssignment(*h.channelAssignment);
        log.log("   Channel arrangement = [bl]" + std::string(assignment ? assignment->name : "") + "[/bl]");
    }
}

void reportTrueHdMajorSync(const TrueHdMajorSync& h, MessageLog& log) {
    if (h.audioSamplingFrequency)
        log.log("   Sampling frequency = [bl]" +
                std::string(kSamplingFrequencyNames[*h.audioSamplingFrequency]) + "[/bl] kHz");
    if (h.sixChannelPresentation) {
        const auto& p = *h.sixChannelPresentation;
        log.log("   2 ch. decoder");
        log.log("      channel modifier = " +
                std::string(kChannelModifierNames[p.ch2PresentationChannelModifier]));
        log.log("   6 ch. decoder");
        log.log("      channel modifier = " +
                std::string(kChannelModifierNames[p.ch6PresentationChannelModifier]));
        log.log("      channel arrangement = [bl]" +
                assignmentList(p.ch6PresentationChannelAssignment, kSixChannelGroups) + "[/bl]");
    }
    if (h.eightChannelPresentation) {
        const auto& p = *h.eightChannelPresentation;
        log.log("   8 ch. decoder");
        log.log("      channel modifier = " +
                std::string(kChannelModifierNames[p.ch8PresentationChannelModifier]));
        log.log("      channel arrangement = [bl]" +
                assignmentList(p.ch8PresentationChannelAssignment, kEightChannelGroups) + "[/bl]");
    }
}

void analyseMlp(const AnalyserInput& in, MessageLog& log) {
    MajorSyncReading mlp(kMlpSync), trueHd(kTrueHdSync);
    const auto reportBoth = [&] {
        mlp.reportNew(log);
        trueHd.reportNew(log);
    };
    uint32_t reg = 0;
    uint8_t previous = 0;
    for (const uint8_t b : in.payload) {
        reg = reg << 8 | b;
        if (reg == kTrueHdSync) {
            reportBoth();
            log.log("   [b]TrueHD[/b] stream (up to 8 channels)");
            trueHd.start();
        } else if (reg == kMlpSync) {
            reportBoth();
            log.log("   [b]Standard MLP[/b] stream (up to 6 channels) ");
            mlp.start();
        } else if (mlp.reading()) {
            mlp.count(b, previous);
            if (!mlp.reading()) mlp.reportNew(log);
        } else if (trueHd.reading()) {
            trueHd.count(b, previous);
            if (!trueHd.reading()) trueHd.reportNew(log);
        }
        previous = b;
    }
    reportBoth();
    if (in.facts) {
        mlp.fill(*in.facts);
        trueHd.fill(*in.facts);
    }
}

}  // namespace quarnel
