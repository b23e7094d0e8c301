// SPDX-License-Identifier: GPL-3.0-or-later
// The formats a subpicture stream's .sup is written as, one row each: the name a --subs or
// --to list and the settings give it, the files it puts beside BASE (the .sup's path without
// ".sup"), the caption and help of its box in the window and of its line in --help, and the
// writer that makes it. A new format is a writer and a row of kSubtitleOutputs.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/subtitle_formats.h"
#include "codecs/subpicture_event.h"
#include "report/message_log.h"
#include "runs/subtitle_conversion.h"

namespace quarnel {

// What a writer writes for: BASE, the files its row names, the picture the subtitles stand
// on, and their settings.
struct SubtitleTarget {
    std::string base;
    std::array<std::string, 2> paths;  // BASE + each of the row's suffixes ("" for none)
    int width = 0, height = 0;
    bool eightBit = false;  // the units carry 8-bit pictures (else 2-bit ones in `palette`)
    size_t events = 0;      // in the .sup
    const DvdPalette& palette;
    const ConversionSettings& settings;
    MessageLog& log;
};

// One output being written: the .sup's events in order, then finish().
class SubtitleWriter {
  public:
    virtual ~SubtitleWriter() = default;
    virtual void add(const SubpictureEvent& event) = 0;
    // Completes the output; the files and folders it put in place, none when it was stopped.
    virtual std::vector<std::string> finish(ConversionCounts& counts) = 0;
};

struct SubtitleOutput {
    std::string_view name;                     // in --subs and --to lists, and in the settings
    bool SubtitleFormats::*chosen;             // its tick in a SubtitleFormats
    std::array<std::string_view, 2> suffixes;  // appended to BASE; "" for none
    std::string_view caption;                  // the window's box
    std::string_view help;                     // the box's tooltip
    // Makes the writer; null for sup, the records as a Demux writes them.
    std::unique_ptr<SubtitleWriter> (*writer)(const SubtitleTarget& target);
};

extern const std::array<SubtitleOutput, 5> kSubtitleOutputs;

// "sup, pgs, vobsub, bdn, srt": the names of the rows (with `converted`, those with a writer).
std::string subtitleFormatNames(bool convertedOnly = false);

// "sup,pgs": the names of the formats chosen, in the order of the table.
std::string subtitleFormatList(const SubtitleFormats& formats);

// The formats a comma (or blank) separated list of format names chooses; raises QuarnelError
// with the reason when it names none or one that is not a row (or srt in a build without
// character recognition).
SubtitleFormats parseSubtitleFormats(std::string_view list);

// The files `row` writes for `base`: BASE + each of its suffixes, "" where it has none.
std::array<std::string, 2> outputPaths(const std::string& base, const SubtitleOutput& row);

// The outputs a conversion into `formats` writes for `base`, sup left out (a .bdn folder as one).
std::vector<std::string> conversionOutputs(const std::string& base, const SubtitleFormats& formats);

}  // namespace quarnel
