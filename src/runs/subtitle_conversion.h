// SPDX-License-Identifier: GPL-3.0-or-later
// A subpicture stream's .sup turned into the formats players, muxers and subtitle editors
// take: PGS (BASE.pgs.sup), VobSub (BASE.idx + BASE.sub), BDN XML + PNG (BASE.bdn/ holding
// BASE.xml and 0001.png, 0002.png, ...) and text read by character recognition (BASE.srt),
// BASE being the .sup's name without ".sup".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/subtitle_formats.h"
#include "codecs/subpicture_event.h"
#include "formats/ocr/ocr_languages.h"
#include "formats/ocr/ocr_pool.h"
#include "formats/subtitles/frame_rates.h"
#include "report/message_log.h"

namespace quarnel {

struct ConversionSettings {
    // The picture the subtitles stand on; by default 1920x1080 for 8-bit units and 720x576
    // for 2-bit units whose areas fit it (else 1920x1080).
    std::optional<int> canvasWidth, canvasHeight;
    FrameRate rate = kFilmRate;
    std::optional<DvdPalette> palette;              // of 2-bit units; the default palette when none
    std::string language = "en";                    // two letters
    std::string bdnLanguage = "eng";                // ISO 639-2, as BDN XML names it
    std::string ocrLanguage = kDefaultOcrLanguage;  // the Tesseract language the text is read in
    OcrProgress ocrProgress;  // while the text is read; false stops it (no .srt is written)
    // Where the title ends on the records' time line, when it ends inside its data: subtitles
    // from there on are left out, one shown across it is taken off there.
    std::optional<uint64_t> titleEnd;
    // The same for a title that starts inside its data: subtitles taken off before it are left
    // out, one shown across it is shown from there.
    std::optional<uint64_t> titleStart;
};

// What a conversion found.
struct ConversionCounts {
    size_t events = 0;
    size_t problems = 0;
    size_t dropped = 0;                // subtitles dropped for times that fall or repeat
    size_t pastEnd = 0;                // subtitles left out: they begin after the title's end
    size_t beforeStart = 0;            // subtitles left out: they end before the title's start
    std::vector<std::string> outputs;  // the files and folders put in place
    // srt: the numbers of the cues shown as forced, and of those whose text could not be read
    std::vector<size_t> forcedCues, emptyCues;
};

// The log line on where the 2-bit subpictures' colours come from: the IFO named `ifoName` when
// it gave them (`found`), else why the default palette is used.
std::string paletteLine(bool found, const std::string& ifoName, const std::string& why);

// Converts the .sup at `supPath` into every chosen format but sup, with names from `base`
// (kSubtitleOutputs names them). Damaged units are reported and left out; raises QuarnelError
// when an output cannot be written or the text cannot be read (no recogniser for the language).
ConversionCounts convertSup(const std::string& supPath, const std::string& base,
                            const SubtitleFormats& formats, const ConversionSettings& settings,
                            MessageLog& log);

}  // namespace quarnel
