// SPDX-License-Identifier: GPL-3.0-or-later
// Values that a run keeps across the files of a sequence: flags, time-stamp bookkeeping and
// frame counts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/lpcm.h"
#include "formats/stream_kinds.h"

namespace quarnel {

constexpr uint32_t kNoPts = 0xFFFFFFFF;

// A subtitle stream of the last Demux written as text (srt): its cues, and the numbers of those
// shown as forced and of those whose text could not be read.
struct SubtitleTextOutput {
    std::string path;
    size_t cues = 0;
    std::vector<size_t> forcedCues, emptyCues;
};

struct RunValues {
    bool cancel = false;
    // A signal stopped the run (the command line): unlike a Cancel, what it wrote is not kept.
    bool interrupted = false;
    bool busy = false;      // a Demux or Rebuild run is active: a cancel must be confirmed
    bool fastStop = false;  // the fast-check limit was passed
    bool fastCheckCut = false;  // a file of the last Read was read only up to the fast-check limit
    std::array<int32_t, kUsedVideoSlots> countedFrames{};
    std::array<double, kUsedVideoSlots> frameRate{};  // frames per second, written by the video analysers
    uint32_t earliestFirstPts = kNoPts;
    uint32_t firstPtm = 0;
    uint32_t lastEndPtm = 0;
    uint32_t endPtmSum = 0;
    double videoDurationSum = 0;  // seconds
    double fileDuration = 0;      // seconds, of the file read last
    // The files the last Demux, Rebuild or chapter export put in place.
    std::vector<std::string> outputsWritten;
    // The DVD-Audio LPCM format of each audio slot of an AOB, as its first packet gives it.
    std::array<std::optional<AobLpcmHeader>, kAudioSlots> aobLpcm{};
    std::vector<SubtitleTextOutput> subtitleTexts;
};

}  // namespace quarnel
