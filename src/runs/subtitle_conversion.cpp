// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/subtitle_conversion.h"

#include <algorithm>

#include "codecs/subpicture_unit.h"
#include "formats/subtitles/sup_events.h"
#include "formats/subtitles/sup_reader.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "runs/subtitle_outputs.h"

namespace quarnel {
namespace {

constexpr int kHdWidth = 1920, kHdHeight = 1080;
constexpr int kSdWidth = 720, kSdHeight = 576;

// What the first pass over the .sup learns: the kind of units and how far their pictures reach.
struct Extent {
    bool any = false;
    size_t events = 0;
    bool eightBit = false;
    int right = 0, bottom = 0;
};

// Every event of the .sup before the title's end, in order, decoded for a canvas of the given
// size; one shown across the end stops there.
template <class OnEvent>
ConversionCounts eachEvent(const std::string& supPath, const DvdPalette& palette, SubpictureLimits limits,
                           std::optional<uint64_t> titleStart, std::optional<uint64_t> titleEnd,
                           OnEvent&& onEvent, MessageLog* log) {
    InputFile in;
    in.open(supPath);
    SupReader reader(readerOf(in));
    ConversionCounts counts;
    const SupEventCounts c = readSupEvents(
        reader, palette, limits,
        [&](const SubpictureEvent& e) {
            if (titleEnd && e.start >= *titleEnd) {
                ++counts.pastEnd;
                return;
            }
            if (titleStart && e.hasStop && e.stop <= *titleStart) {
                ++counts.beforeStart;
                return;
            }
            const bool across =
                (titleEnd && (!e.hasStop || e.stop > *titleEnd)) || (titleStart && e.start < *titleStart);
            if (!across) return onEvent(e);
            SubpictureEvent cut = e;
            if (titleEnd && (!e.hasStop || e.stop > *titleEnd)) cut.stop = *titleEnd, cut.hasStop = true;
            if (titleStart && e.start < *titleStart) cut.start = *titleStart;
            onEvent(cut);
        },
        [&](const std::string& line) {
            if (log) log->log("[re]" + line + "[/re]");
        });
    counts.events = c.events - counts.pastEnd - counts.beforeStart;
    counts.problems = c.problems;
    counts.dropped = c.dropped;
    return counts;
}

}  // namespace

ConversionCounts convertSup(const std::string& supPath, const std::string& base,
                            const SubtitleFormats& formats, const ConversionSettings& settings,
                            MessageLog& log) {
    const DvdPalette& palette = settings.palette ? *settings.palette : defaultDvdPalette();
    Extent extent;
    eachEvent(
        supPath, palette, {kHdWidth, kHdHeight}, settings.titleStart, settings.titleEnd,
        [&](const SubpictureEvent& e) {
            extent.eightBit = extent.eightBit || e.depth == SubpictureDepth::EightBit;
            extent.right = std::max(extent.right, e.x + e.width);
            extent.bottom = std::max(extent.bottom, e.y + e.height);
            extent.any = true;
            ++extent.events;
        },
        nullptr);
    const bool standard = !extent.eightBit && extent.right <= kSdWidth && extent.bottom <= kSdHeight;
    const int width = settings.canvasWidth.value_or(standard ? kSdWidth : kHdWidth);
    const int height = settings.canvasHeight.value_or(standard ? kSdHeight : kHdHeight);

    std::vector<std::pair<const SubtitleOutput*, std::unique_ptr<SubtitleWriter>>> writers;
    for (const SubtitleOutput& row : kSubtitleOutputs)
        if (row.writer && formats.*row.chosen)
            writers.emplace_back(&row, row.writer({base, outputPaths(base, row), width, height,
                                                   extent.eightBit, extent.events, palette, settings, log}));
    ConversionCounts counts = eachEvent(
        supPath, palette, {width, height}, settings.titleStart, settings.titleEnd,
        [&](const SubpictureEvent& e) {
            for (auto& w : writers) w.second->add(e);
        },
        &log);
    if (counts.beforeStart > 0)
        log.log(nameOf(base) + ": " + std::to_string(counts.beforeStart) +
                (counts.beforeStart == 1 ? " subtitle" : " subtitles") +
                " before the title's start left out.");
    if (counts.pastEnd > 0)
        log.log(nameOf(base) + ": " + std::to_string(counts.pastEnd) +
                (counts.pastEnd == 1 ? " subtitle" : " subtitles") + " after the title's end left out.");
    SubtitleFormats written = formats;
    for (auto& [row, writer] : writers) {
        const std::vector<std::string> outputs = writer->finish(counts);
        counts.outputs.insert(counts.outputs.end(), outputs.begin(), outputs.end());
        written.*row->chosen = !outputs.empty();
    }
    log.log("Converted " + nameOf(base) + ": " + std::to_string(counts.events) + " subtitles (" +
            subtitleFormatList(written) + ", " + std::to_string(width) + "x" + std::to_string(height) + ")");
    return counts;
}

std::string paletteLine(bool found, const std::string& ifoName, const std::string& why) {
    if (found) return "Subpicture colours from " + ifoName;
    return "Subpicture colours: " + why +
           "; 2-bit subpictures are shown in the default palette (16 greys), 8-bit ones in their own.";
}

}  // namespace quarnel
