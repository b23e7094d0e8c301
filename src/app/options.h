// SPDX-License-Identifier: GPL-3.0-or-later
// The user's options: the defaults (the members' initial values, nowhere else), the limits,
// and the table of the command line's option flags. The window shows the same options as
// controls and the settings store keeps them.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "app/subtitle_formats.h"

namespace quarnel {

enum class AutoProcess { None, Demux, Rebuild };  // what follows a Read by itself

struct Options {
    bool continueSequence = true;  // go on with the next file of a split movie
    bool fastCheck = true;         // a Read checks only the first fastCheckMiB
    int fastCheckMiB = 300;
    bool countFrames = true;
    bool details = true;     // detailed stream report
    bool autoRead = true;    // a source chosen in the window is read at once
    bool autoClear = false;  // a Read clears the log first
    AutoProcess autoProcess = AutoProcess::None;
    bool keepAdvancedPacks = false;  // a Rebuild keeps the advanced packs (ADV_PCK)
    bool adjustPts = false;          // a Rebuild moves the time stamps of each following file on
    bool readVti = true;             // a Read reads HVA00001.VTI afterwards
    std::string videoExtension = "mpv";
    std::string audioExtension = "mpa";
    std::string subExtension = "sup";
    std::string outputDir;      // "" = the current folder
    bool keepPartial = false;   // outputs of a run stopped by a signal are kept as NAME.partial
    bool lpcmWav = false;       // a Demux writes LPCM streams as WAV files instead of raw samples
    bool splitTracks = false;   // a Demux of a DVD-Audio AOB writes one file per track
    SubtitleFormats subtitles;  // what a Demux writes each subpicture stream as
    bool mkvPlanOnly = false;   // Make MKV writes its plan and mkvmerge's option file, not the MKV
    bool keepTemp = false;      // Make MKV keeps its scratch folder
    // The window asks before its outputs replace files of their names: replace, keep both or
    // cancel. The command line always replaces.
    bool askBeforeReplacing = false;
    // The language srt text is read in (a Tesseract or ISO 639-1 code); "" = the stream's
    // language from the playlist, else English.
    std::string ocrLanguage;
    // Who asks: messages that tell the user what to change name the window's controls or the
    // command line's flags.
    bool commandLine = false;

    bool operator==(const Options&) const = default;
};

constexpr int kMaxFastCheckMiB = 999;  // the size field takes three digits
constexpr size_t kMaxExtensionLength = 5;

using OptionMember = std::variant<bool Options::*, int Options::*, std::string Options::*>;

// One option flag of the command line. A switch (no argument) gives its option `switchValue`;
// a flag with an argument takes the value that follows it.
struct OptionFlag {
    const char* name;      // "--fast-size"
    const char* argument;  // "MB"; nullptr for a switch
    OptionMember member;
    bool switchValue;
    const char* help;  // the usage line's text; a default is added for flags with an argument
};

constexpr OptionFlag kOptionFlags[] = {
    {"--no-continue", nullptr, &Options::continueSequence, false,
     "do not go on with the next file of a split movie"},
    {"--full", nullptr, &Options::fastCheck, false, "read whole files (no fast check)"},
    {"--fast-size", "MiB", &Options::fastCheckMiB, false, "size read by a fast check"},
    {"--no-details", nullptr, &Options::details, false, "no detailed stream report"},
    {"--no-vti", nullptr, &Options::readVti, false, "do not read HVA00001.VTI after a Read"},
    {"--no-count-frames", nullptr, &Options::countFrames, false, "do not count video frames"},
    {"--video-ext", "EXT", &Options::videoExtension, false, "extension of video outputs"},
    {"--audio-ext", "EXT", &Options::audioExtension, false, "extension of audio outputs"},
    {"--sub-ext", "EXT", &Options::subExtension, false, "extension of subpicture outputs"},
    {"--adv-pck", nullptr, &Options::keepAdvancedPacks, true, "rebuild: keep the advanced packs (ADV_PCK)"},
    {"--adjust-pts", nullptr, &Options::adjustPts, true,
     "rebuild: move the time stamps of each following file on by the\nend time of the files before it"},
    {"--lpcm-wav", nullptr, &Options::lpcmWav, true,
     "demux: write each LPCM stream as BASE.CAPTION.wav (interleaved\nlittle-endian samples) instead of its "
     "raw samples"},
    {"--split-tracks", nullptr, &Options::splitTracks, true,
     "demux of an AOB: one file per track of ATS_nn_0.IFO, BASE.T01.TR03.CAPTION.EXT"},
    {"--plan", nullptr, &Options::mkvPlanOnly, true,
     "mkv: write BASE.mkvmerge.json (mkvmerge's option file) and\nBASE.plan.json, keep the scratch folder, "
     "do not run mkvmerge"},
    {"--keep-temp", nullptr, &Options::keepTemp, true, "mkv: keep the scratch folder BASE.mkv-temp"},
    {"--keep-partial", nullptr, &Options::keepPartial, true,
     "when a signal stops a run, keep what it wrote as NAME.partial\n(by default nothing unfinished is "
     "left)"},
};

}  // namespace quarnel
