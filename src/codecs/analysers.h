// SPDX-License-Identifier: GPL-3.0-or-later
// The stream header analysers: each describes a newly found stream from its first payload
// piece, in lines of the message log that begin with three blanks. Each finds the headers in
// the piece, decodes them into the structs of its coding's header (codecs/dolby.h, dts.h,
// lpcm.h, mlp.h, mpeg2_video.h, h264.h, vc1.h, subpicture.h) and words those into the lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "codecs/stream_facts.h"
#include "codecs/time_stamp.h"
#include "report/message_log.h"

namespace quarnel {

struct AnalyserInput {
    std::span<const uint8_t> payload;        // the first payload piece; nothing outside it is read
    std::span<const uint8_t> privateHeader;  // private stream 1 header, sub-stream id first (audio)
    int index = 0;                           // stream index of its kind
    MaybeTimeStamp videoPts;                 // of the video packet in hand
    bool aobSource = false;                  // the source file's extension is .AOB
    StreamFacts* facts = nullptr;            // filled with the values found, when given
};

// Audio
void analyseDolby(const AnalyserInput& in, MessageLog& log);  // AC-3 and E-AC-3
void analyseDts(const AnalyserInput& in, MessageLog& log);
void analyseMpegAudio(const AnalyserInput& in, MessageLog& log);  // Layers I to III
void analyseLpcm(const AnalyserInput& in, MessageLog& log);
void analyseMlp(const AnalyserInput& in, MessageLog& log);  // MLP and Dolby TrueHD

// Video: each returns the frame rate it found (frames per second), if any.
std::optional<double> analyseMpeg2Video(const AnalyserInput& in, MessageLog& log);
std::optional<double> analyseH264(const AnalyserInput& in, MessageLog& log);
std::optional<double> analyseVc1(const AnalyserInput& in, MessageLog& log);

void analyseSubpicture(const AnalyserInput& in, MessageLog& log);

}  // namespace quarnel
