// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitles read as text: lines drawn with real fonts into 2-bit and 8-bit units, converted to
// .srt and compared with what was drawn (character error rate, times); pictures that hold no
// text become empty cues with a note, never a crash or a hang.
#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "fixtures/build_paths.h"
#include "fixtures/model_fixture.h"
#include "fixtures/recording_host.h"
#include "fixtures/rendered_text.h"
#include "fixtures/temp_dir.h"
#include "formats/disc/title.h"
#include "formats/ocr/ocr_engine.h"
#include "formats/ocr/ocr_pool.h"
#include "formats/subtitles/srt_writer.h"
#include "io/files.h"
#include "io/thread_start.h"
#include "runs/operations.h"
#include "runs/subtitle_conversion.h"

namespace quarnel {
namespace {

using namespace fixtures;

const std::string kFonts = "/usr/share/fonts/truetype/dejavu/";

struct Drawn {
    std::vector<std::string> lines;
    std::string font;
    int size;
    bool yellow = false;
    double spacing = 1.0;  // lines closer than the font's spacing touch: no clear row between them
};

// 2-bit units on a DVD's picture, 8-bit ones on an HD DVD's: several fonts and sizes, two-line
// events, punctuation, digits and apostrophes.
const Drawn kTwoBit[] = {
    {{"Hello, world!"}, "DejaVuSans.ttf", 30},
    {{"It's 10:45 and I'm late."}, "DejaVuSerif.ttf", 28},
    {{"Where are you going?", "Home, before it rains."}, "DejaVuSans-Bold.ttf", 26},
    {{"Don't forget the 3 keys."}, "DejaVuSansMono.ttf", 24},
    {{"Jump quickly, Peggy.", "Take the big black dog"}, "DejaVuSans.ttf", 30, false, 0.82},
};
const Drawn kEightBit[] = {
    {{"The quick brown fox jumps over the lazy dog."}, "DejaVuSans.ttf", 44},
    {{"Yellow text: 42 apples, 7 pears."}, "DejaVuSerif-Bold.ttf", 40, true},
    {{"I said no.", "We'll see about that!"}, "DejaVuSans.ttf", 48},
    {{"Small print, 18 pixels high."}, "DejaVuSans.ttf", 18},
    {{"Why, Gary, you're early.", "That's fine. Look here."}, "DejaVuSerif.ttf", 40, false, 0.75},
};
constexpr uint32_t kFirst = 90000, kStep = 3 * 90000, kDuration = 2 * 90000;

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

struct Cue {
    std::string start, stop, text;
};

std::vector<Cue> readSrt(const std::string& path) {
    std::ifstream in(path);
    std::vector<Cue> cues;
    std::string number, times, line;
    while (std::getline(in, number) && std::getline(in, times)) {
        Cue c{times.substr(0, 12), times.substr(17), ""};
        while (std::getline(in, line) && !line.empty()) c.text += (c.text.empty() ? "" : "\n") + line;
        cues.push_back(c);
    }
    return cues;
}

TEST(SubtitleText, DrawnLinesAreReadWithinTwoPercentAndTimedToTheMillisecond) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    TempDir dir;
    Bytes twoBit, eightBit;
    uint32_t pts = kFirst;
    for (const Drawn& d : kTwoBit) {
        Bytes unit = dvdSubpictureUnit(twoBitText(renderText(d.lines, kFonts + d.font, d.size, 2, d.spacing)),
                                       40, 400, kDuration);
        if (&d == &kTwoBit[1]) unit[size_t(unit[2] << 8 | unit[3]) + 22] = 0x00;  // forced start of display
        append(twoBit, supRecord(pts, unit));
        pts += kStep;
    }
    // A picture whose every colour is clear shows nothing: its cue stays, empty.
    HdPalette palette{};
    const IndexedPicture clear =
        eightBitText(renderText({"Nothing"}, kFonts + "DejaVuSans.ttf", 40, 3), 255, 255, 255, palette);
    pts = kFirst;
    for (const Drawn& d : kEightBit) {
        const TextPicture p = renderText(d.lines, kFonts + d.font, d.size, 3, d.spacing);
        const IndexedPicture picture = eightBitText(p, 255, 255, d.yellow ? 0 : 255, palette);
        append(eightBit,
               supRecord(pts, hdSubpictureUnit(picture, palette, 200, 900 - picture.height, kDuration)));
        pts += kStep;
    }
    append(eightBit, supRecord(pts, hdSubpictureUnit(clear, HdPalette{}, 200, 800, kDuration)));
    writeFile(dir.file("two.sup"), twoBit);
    writeFile(dir.file("eight.sup"), eightBit);

    RecordingHost host;
    MessageLog log(host);
    const SubtitleFormats srt{.sup = false, .srt = true};
    // The forced flag is in the log and the counts (the JSON report's), never in the SRT.
    EXPECT_EQ(convertSup(dir.file("two.sup"), dir.file("two"), srt, {}, log).forcedCues,
              std::vector<size_t>{2});
    EXPECT_TRUE(host.logged("Forced subtitles: 2"));
    const ConversionCounts eight = convertSup(dir.file("eight.sup"), dir.file("eight"), srt, {}, log);
    EXPECT_EQ(eight.emptyCues, std::vector<size_t>{6});
    EXPECT_TRUE(host.logged("Subtitle 6 at 00:00:16,000: no text recognised; its cue is left empty"));

    size_t errors = 0, characters = 0;
    const auto compare = [&](const std::string& srtFile, const auto& drawn) {
        const std::vector<Cue> cues = readSrt(srtFile);
        ASSERT_GE(cues.size(), std::size(drawn)) << srtFile;
        for (size_t i = 0; i < std::size(drawn); ++i) {
            std::string want;
            for (const std::string& line : drawn[i].lines) want += (want.empty() ? "" : "\n") + line;
            const size_t distance = editDistance(cues[i].text, want);
            errors += distance;
            characters += want.size();
            EXPECT_GE(1.0 - double(distance) / want.size(), 0.9)
                << "read \"" << cues[i].text << "\" for \"" << want << "\"";
            const uint64_t start = kFirst + i * kStep, stop = start + kDuration / 1024 * 1024;
            EXPECT_EQ(cues[i].start, srtTime(start));
            EXPECT_EQ(cues[i].stop, srtTime(stop));
        }
    };
    compare(dir.file("two.srt"), kTwoBit);
    compare(dir.file("eight.srt"), kEightBit);
    const double cer = double(errors) / double(characters);
    std::printf("character error rate %.2f%% (%zu of %zu)\n", 100 * cer, errors, characters);
    EXPECT_LE(cer, 0.02);
    EXPECT_EQ(readSrt(dir.file("eight.srt")).at(5).text, "");

    // Stopped while the text is read (a Cancel, a signal): no .srt at all, rather than one cut short.
    ConversionSettings stopping;
    stopping.ocrProgress = [](size_t, size_t) { return false; };
    convertSup(dir.file("two.sup"), dir.file("stopped"), srt, stopping, log);
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.srt")));
    EXPECT_TRUE(host.logged("[re]Reading the text of stopped was stopped: no .srt written[/re]"));
    // A machine out of threads: the reading fails with a message, not the program.
    const ScopedFailingThreadStarts noThreads;
    try {
        convertSup(dir.file("two.sup"), dir.file("unstarted"), srt, {}, log);
        ADD_FAILURE() << "no thread could start, yet the text was read";
    } catch (const QuarnelError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot start reading the text: ")) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("unstarted.srt")));
}

// Pictures without text: no pixels, a single row, a solid bar wider than any canvas, every
// colour clear, and pixels that index past a 4-colour palette.
TEST(SubtitleText, PicturesWithoutTextBecomeEmptyTexts) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    const std::vector<Rgba> white(4, Rgba{255, 255, 255, 255});
    const auto event = [&](int width, int height, uint8_t index, std::vector<Rgba> palette) {
        SubpictureEvent e;
        e.width = width, e.height = height;
        e.pixels.assign(size_t(width) * size_t(height), index);
        e.palette = std::move(palette);
        return e;
    };
    SubpictureEvent cut = event(300, 40, 1, white);
    cut.pixels.resize(100);  // fewer pixels than its size says
    const SubpictureEvent bad[] = {event(0, 0, 0, white),      event(1920, 1, 1, white),
                                   event(4000, 60, 1, white),  event(600, 80, 1, std::vector<Rgba>(4)),
                                   event(200, 50, 200, white), cut};
    RecordingHost host;
    MessageLog log(host);
    OcrPool pool("eng", std::size(bad), log);
    for (const SubpictureEvent& e : bad) pool.add(e);
    const std::vector<OcrEventText> texts = pool.finish();
    ASSERT_EQ(texts.size(), std::size(bad));
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_TRUE(texts[i].lines.empty()) << i << ": " << texts[i].lines[0];
    EXPECT_EQ(host.status[1], " OCR 6/6 events");

    // A language without installed data is named with the package that holds it.
    try {
        OcrPool missing("zzz", 1, log);
        ADD_FAILURE() << "no error for a missing language";
    } catch (const QuarnelError& e) {
        EXPECT_NE(std::string(e.what()).find("tesseract-ocr-zzz"), std::string::npos) << e.what();
    }
}

// A Demux reads each stream's text in its language from the playlist, unless --ocr-lang names one.
TEST(SubtitleText, ADemuxReadsTheStreamInThePlaylistsLanguage) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    ModelFixture f;
    const Bitmap text = twoBitText(renderText({"Bonjour"}, kFonts + "DejaVuSans.ttf", 30, 2));
    f.source("A.VOB",
             buildProgramStream(
                 {{EsKind::Subpicture, 0x20, {{dvdSubpictureUnit(text, 60, 400, kDuration), kFirst}}}},
                 {Layout::Vob}));
    f.model.options.outputDir = f.dir.file("");
    f.model.options.subtitles = {.sup = false, .srt = true};
    f.read();
    f.model.playlist.title.sub[0].language = "ja";
    f.model.playlistSource = f.model.sourcePath;  // as a playlist read for this source leaves it
    runs::demux(f.model, f.host);
    EXPECT_TRUE(f.logged("Reading the text of 1 subtitles (OCR, language jpn)"));
    f.model.options.ocrLanguage = "en";
    runs::demux(f.model, f.host);
    EXPECT_TRUE(f.logged("Reading the text of 1 subtitles (OCR, language eng)"));
    EXPECT_EQ(readSrt(f.dir.file("A.Subpicture.00.srt")).at(0).text, "Bonjour");
}

// A DVD's German stream, as the disc lists it, is read with the German data: umlauts and ß
// come out as drawn.
TEST(SubtitleText, ADiscsGermanStreamIsReadInGerman) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    if (std::system("ls /usr/share/tesseract-ocr/*/tessdata/deu.traineddata >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the German data is not installed (tesseract-ocr-deu; tools/setup.sh installs it)";
    // Drawn from Latin-1 bytes (FreeType takes each as its code point), read back as UTF-8.
    const std::vector<std::pair<std::string, std::string>> kLines = {
        {"Es ist sp\xe4t, wir m\xfc"
         "ssen gehen.",
         "Es ist sp\u00e4t, wir m\u00fcssen gehen."},
        {"Bitte pr\xfc"
         "fen Sie die Stra\xdf"
         "e.",
         "Bitte pr\u00fcfen Sie die Stra\u00dfe."},
        {"Schlie\xdf"
         "en Sie die T\xfcr.",
         "Schlie\u00dfen Sie die T\u00fcr."},
    };
    ModelFixture f;
    EsStream sub{EsKind::Subpicture, 0x20, {}};
    uint32_t pts = kFirst;
    for (const auto& [drawn, read] : kLines) {
        const Bitmap text = twoBitText(renderText({drawn}, kFonts + "DejaVuSans.ttf", 30, 2));
        sub.units.push_back({dvdSubpictureUnit(text, 60, 400, kDuration), pts, {}});
        pts += kStep;
    }
    const std::string vob = f.source("VTS_01_1.VOB", buildProgramStream({sub}, {Layout::Vob}));
    Title title = titleOfFiles(vob, false);
    title.name = "FILM_title01";
    title.tracks.push_back(
        {.kind = StreamKind::Subpicture, .streamId = 0xBD, .subStreamId = 0x20, .language = "de"});
    f.model.title = title;
    f.model.options.outputDir = f.dir.file("");
    f.model.options.subtitles = {.sup = false, .srt = true};
    f.read();
    runs::demux(f.model, f.host);
    EXPECT_TRUE(f.logged("Reading the text of 3 subtitles (OCR, language deu)"));
    const std::vector<Cue> cues = readSrt(f.dir.file("FILM_title01.Subpicture.00.srt"));
    ASSERT_EQ(cues.size(), kLines.size());
    size_t errors = 0, characters = 0;
    for (size_t k = 0; k < cues.size(); ++k) {
        errors += editDistance(cues[k].text, kLines[k].second);
        characters += kLines[k].second.size();
    }
    EXPECT_LE(double(errors) / double(characters), 0.02)
        << cues[0].text << " | " << cues[1].text << " | " << cues[2].text;
}

// The shipped sample's two subtitle streams (2-bit and 8-bit) read as the README says they read.
TEST(SubtitleText, TheSamplesStreamsReadAsTheReadmeSays) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    std::ifstream readme(std::string(QUARNEL_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), std::istreambuf_iterator<char>());
    const size_t said = text.find("the SRT reads");
    ASSERT_NE(said, std::string::npos);
    const std::string sentence = text.substr(said, text.find(')', said) - said);
    std::vector<std::string> lines;
    const std::regex quoted("\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(sentence.begin(), sentence.end(), quoted);
         it != std::sregex_iterator(); ++it)
        lines.push_back((*it)[1]);
    ASSERT_EQ(lines.size(), 4u) << sentence;

    ModelFixture f;
    f.model.sourcePath = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/FEATURE_1.EVO";
    f.model.sourceChanged();
    f.model.options.outputDir = f.dir.file("");
    f.model.options.subtitles = {.sup = false, .srt = true};
    f.read();
    runs::demux(f.model, f.host);
    for (const char* stream : {"00", "01"}) {
        const std::vector<Cue> cues =
            readSrt(f.dir.file("FEATURE_1_MERGED.Subpicture." + std::string(stream) + ".srt"));
        ASSERT_EQ(cues.size(), lines.size()) << stream;
        size_t errors = 0, characters = 0;
        for (size_t k = 0; k < cues.size(); ++k) {
            errors += editDistance(cues[k].text, lines[k]);
            characters += lines[k].size();
        }
        EXPECT_LE(double(errors) / double(characters), 0.02) << stream << ": " << cues[0].text;
    }
}

}  // namespace
}  // namespace quarnel
