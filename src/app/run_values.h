// SPDX-License-Identifier: GPL-3.0-or-later
// Values that a run keeps across the files of a sequence: flags, time-stamp bookkeeping and
// frame counts.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/lpcm.h"
#include "codecs/stream_facts.h"
#include "codecs/time_stamp.h"
#include "formats/ps/navigation.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

// A subtitle stream of the last Demux written as text (srt): its cues, and the numbers of those
// shown as forced and of those whose text could not be read.
struct SubtitleTextOutput {
    std::string path;
    size_t cues = 0;
    std::vector<size_t> forcedCues, emptyCues;
};

// One progress bar over a whole run: the title's parts read one after another, and the phases
// of a run that has several (Make MKV), each filling its share of the bar.
struct ProgressSpan {
    uint64_t before = 0;      // bytes of the parts done before the one in hand
    uint64_t total = 0;       // bytes of all the parts; 0: the file in hand is the whole
    double from = 0, to = 1;  // the share of the bar the pass in hand fills
    // Where the bar stands (0 ... 1) when the pass in hand has done `share` (0 ... 1) of its work.
    double bar(double share) const { return from + (to - from) * share; }
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

struct RunValues {
    bool cancel = false;
    ProgressSpan progress;
    // A signal stopped the run (the command line): unlike a Cancel, what it wrote is not kept.
    bool interrupted = false;
    // The run that writes outputs ("Demux", "Rebuild", "Make MKV") while it works: a cancel
    // must be confirmed, and the question names it.
    const char* busy = nullptr;
    // The Cancel of a run that writes chose to keep what was written, as NAME.partial files.
    bool keepStopped = false;
    bool fastStop = false;      // the fast-check limit was passed
    bool fastCheckCut = false;  // a file of the last Read was read only up to the fast-check limit
    std::string vtiError;       // why the VTI read after the last Read failed; empty when it did not
    // Per subpicture slot converted by the last Demux: the subtitles dropped because their
    // records' times fall or repeat.
    std::array<std::optional<size_t>, kSubSlots> droppedSubtitleRecords{};
    std::array<int32_t, kUsedVideoSlots> countedFrames{};
    std::array<double, kUsedVideoSlots> frameRate{};  // frames per second, written by the video analysers
    // The earliest first PTS of the audio and video streams: the time the outputs start at.
    MaybeTimeStamp earliestFirstPts;
    uint32_t firstPtm = 0;
    uint32_t lastEndPtm = 0;
    uint32_t endPtmSum = 0;
    double videoDurationSum = 0;  // seconds
    double fileDuration = 0;      // seconds, of the file read last
    // The files the last Demux, Rebuild or chapter export put in place.
    std::vector<std::string> outputsWritten;
    // Per stream of the last Read: its first PTS (of the first file that holds it) and what the
    // analysers found in its first headers (with details on).
    struct StreamReading {
        MaybeTimeStamp firstPts;
        StreamFacts facts;
        uint64_t bytes = 0;  // the stream's payload the Read went through (a fast check: its part)
    };
    std::array<StreamReading, kUsedVideoSlots> videoReading{};
    std::array<StreamReading, kAudioSlots> audioReading{};
    std::array<StreamReading, kSubSlots> subReading{};
    // Per file of the last Read: what its first navigation and copy-control packs say.
    struct FileNavigation {
        std::string file;
        std::optional<uint32_t> vobNumber, startPtm, endPtm;
        std::optional<CopyControlState> copyControl;
    };
    std::vector<FileNavigation> navigation;
    // The plan of the last Make MKV as JSON (tracks, delays, dropped frames, gaps, chapters).
    std::string mkvPlan;
    // The DVD-Audio LPCM format of each audio slot of an AOB, as its first packet gives it.
    std::array<std::optional<AobLpcmHeader>, kAudioSlots> aobLpcm{};
    std::vector<SubtitleTextOutput> subtitleTexts;
};

}  // namespace quarnel
