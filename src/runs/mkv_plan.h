// SPDX-License-Identifier: GPL-3.0-or-later
// What a Make MKV hands mkvmerge: each track's file, name, language, flags and place on the
// time line, the chapters, and the same as a plan for people who want to tune it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runs/audio_timeline.h"

namespace quarnel {

struct MkvTrack {
    std::string stream;      // v0, a03, s17
    std::string type;        // video, audio, subtitles
    std::string codec;       // AC-3, E-AC-3, ...
    std::string file;        // the file mkvmerge reads
    std::string timestamps;  // a timestamp file placing each frame; empty: placed by `delayMs`
    std::string name;
    std::string language = "und";
    bool defaultTrack = false;
    bool forced = false;
    double startMs = 0;   // where the track's first frame lies on the title's time line
    int64_t delayMs = 0;  // mkvmerge's --sync, for tracks without a timestamp file
    std::vector<TimelineEvent> drops, gaps;
};

struct MkvChapter {
    uint64_t startNs = 0;
    std::string name;  // UTF-8
};

struct MkvFile {
    std::string name;
    double shiftMs = 0;  // added to its time stamps to keep the title's time line continuous
};

struct MkvPlan {
    std::string output;        // the MKV mkvmerge writes
    std::string title;         // the playlist's title name, if any
    std::string chaptersFile;  // Matroska chapter XML; empty without chapters
    std::vector<MkvFile> files;
    std::vector<MkvTrack> tracks;
    std::vector<MkvChapter> chapters;
};

// mkvmerge's arguments: the output, then per track its options and file.
std::vector<std::string> mkvmergeArguments(const MkvPlan& plan);
// The arguments as an option file: a JSON array of strings.
std::string optionFileText(const std::vector<std::string>& arguments);
// The plan as JSON: tracks, files, delays, joins, chapters.
std::string planText(const MkvPlan& plan);
// The chapters as a Matroska chapter XML file, times to the nanosecond.
std::string chapterXml(const std::vector<MkvChapter>& chapters);

}  // namespace quarnel
