// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/subtitle_conversion.h"

#include <algorithm>
#include <memory>

#include "codecs/subpicture_unit.h"
#include "formats/bdn_writer.h"
#include "formats/pgs_writer.h"
#include "formats/srt_writer.h"
#include "formats/sup_events.h"
#include "formats/sup_reader.h"
#include "formats/vobsub_writer.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "runs/subtitle_ocr.h"

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

// Every event of the .sup, in order, decoded for a canvas of the given size.
template <class OnEvent>
ConversionCounts eachEvent(const std::string& supPath, const DvdPalette& palette, SubpictureLimits limits,
                           OnEvent&& onEvent, MessageLog* log) {
    InputFile in;
    in.open(supPath);
    SupReader reader(readerOf(in));
    ConversionCounts counts;
    const SupEventCounts c = readSupEvents(
        reader, palette, limits, [&](const SubpictureEvent& e) { onEvent(e); },
        [&](const std::string& line) {
            if (log) log->log("[re]" + line + "[/re]");
        });
    counts.events = c.events;
    counts.problems = c.problems;
    counts.dropped = c.dropped;
    return counts;
}

// "1, 4, 7"
std::string numberList(const std::vector<size_t>& numbers) {
    std::string out;
    for (const size_t n : numbers) out += (out.empty() ? "" : ", ") + std::to_string(n);
    return out;
}

// The recognised events as BASE.srt. Forced events and events without text are named in the
// log (the cue of an event without text stays, empty, so the numbering and times hold).
void writeText(const std::string& path, const std::vector<OcrEventText>& texts, ConversionCounts& counts,
               MessageLog& log) {
    std::vector<SrtCue> cues;
    cues.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        cues.push_back({texts[i].start, texts[i].stop, texts[i].lines});
        if (texts[i].forced) counts.forcedCues.push_back(i + 1);
        if (texts[i].lines.empty()) {
            counts.emptyCues.push_back(i + 1);
            log.log("Subtitle " + std::to_string(i + 1) + " at " + srtTime(texts[i].start) +
                    ": no text recognised; its cue is left empty");
        }
    }
    if (!counts.forcedCues.empty()) log.log("Forced subtitles: " + numberList(counts.forcedCues));
    writeSrt(path, cues);
}

}  // namespace

std::vector<std::string> conversionOutputs(const std::string& base, const SubtitleFormats& formats) {
    std::vector<std::string> names;
    if (formats.pgs) names.push_back(base + ".pgs.sup");
    if (formats.vobsub) names.insert(names.end(), {base + ".idx", base + ".sub"});
    if (formats.bdn) names.push_back(base + ".bdn");
    if (formats.srt) names.push_back(base + ".srt");
    return names;
}

ConversionCounts convertSup(const std::string& supPath, const std::string& base,
                            const SubtitleFormats& formats, const ConversionSettings& settings,
                            MessageLog& log) {
    const DvdPalette& palette = settings.palette ? *settings.palette : defaultDvdPalette();
    Extent extent;
    eachEvent(
        supPath, palette, {kHdWidth, kHdHeight},
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

    std::unique_ptr<PgsWriter> pgs;
    std::unique_ptr<VobSubWriter> vobsub;
    std::unique_ptr<BdnWriter> bdn;
    if (formats.pgs)
        pgs = std::make_unique<PgsWriter>(base + ".pgs.sup", PgsOptions{width, height, settings.rate});
    if (formats.vobsub) {
        VobSubOptions o{width, height, settings.language, std::nullopt};
        if (!extent.eightBit) o.palette = palette;
        vobsub = std::make_unique<VobSubWriter>(base + ".idx", base + ".sub", o);
    }
    if (formats.bdn)
        bdn = std::make_unique<BdnWriter>(
            base + ".bdn", nameOf(base) + ".xml",
            BdnOptions{width, height, settings.rate, nameOf(base), settings.bdnLanguage});
    std::unique_ptr<OcrPool> ocr;
    if (formats.srt) {
        log.log("Reading the text of " + std::to_string(extent.events) + " subtitles (OCR, language " +
                settings.ocrLanguage + ")");
        ocr = std::make_unique<OcrPool>(settings.ocrLanguage, extent.events, log, settings.ocrProgress);
    }
    ConversionCounts counts = eachEvent(
        supPath, palette, {width, height},
        [&](const SubpictureEvent& e) {
            if (pgs) pgs->add(e);
            if (vobsub) vobsub->add(e);
            if (bdn) bdn->add(e);
            if (ocr) ocr->add(e);
        },
        &log);
    if (pgs) {
        pgs->finish();
        counts.outputs.push_back(base + ".pgs.sup");
    }
    if (vobsub) {
        for (const std::string& note : vobsub->finish()) log.log(note);
        counts.outputs.insert(counts.outputs.end(), {base + ".idx", base + ".sub"});
    }
    if (bdn) {
        bdn->finish();
        counts.outputs.push_back(base + ".bdn");
    }
    if (ocr) {
        const std::vector<OcrEventText> texts = ocr->finish();
        if (ocr->stopped()) {
            log.log("[re]Reading the text of " + nameOf(base) + " was stopped: no .srt written[/re]");
        } else {
            writeText(base + ".srt", texts, counts, log);
            counts.outputs.push_back(base + ".srt");
        }
    }
    SubtitleFormats written = formats;
    written.srt = ocr && !ocr->stopped();
    log.log("Converted " + nameOf(base) + ": " + std::to_string(counts.events) + " subtitles (" +
            written.list() + ", " + std::to_string(width) + "x" + std::to_string(height) + ")");
    return counts;
}

std::string paletteLine(bool found, const std::string& ifoName, const std::string& why) {
    if (found) return "Subpicture colours from " + ifoName;
    return "Subpicture colours: " + why +
           "; 2-bit subpictures are shown in the default palette (16 greys), 8-bit ones in their own.";
}

}  // namespace quarnel
