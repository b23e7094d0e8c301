// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fixtures/model_fixture.h"
#include "fixtures/sample_streams.h"

namespace quarnel {
namespace {

using namespace fixtures;

constexpr uint32_t kStart = 0x00100000;

std::vector<EsStream> movieStreams() {
    return {mpeg2Video(0xE0, 30, 3000, kStart),
            audio(EsKind::Ac3, 0x80, 40, 1536, kStart + 900, 1),
            audio(EsKind::Eac3, 0xC3, 40, 1000, kStart, 2),
            audio(EsKind::Lpcm, 0xA2, 20, 4000, kStart, 3),
            audio(EsKind::TrueHd, 0xB5, 20, 800, kStart, 4),
            audio(EsKind::Dts, 0x89, 20, 1000, kStart, 5),
            subpicture(0x21, 2, 3000, kStart + 90000, 6),
            subpicture(0x7F, 2, 500, kStart + 90000, 7)};
}

TEST(ReadRun, ReportsEveryStreamTheNavigationAndTheBoxes) {
    ModelFixture f;
    MuxOptions o;
    o.vobId = 7;
    f.source("FEATURE_1.EVO", buildProgramStream(movieStreams(), o));
    f.read();
    ASSERT_TRUE(f.host.errors.empty());
    for (const char* line :
         {".", "Reading...", "File size: 0 Mbytes.", "[b]MPEG-2[/b] video stream 0 found!",
          "[b]Dolby Digital[/b] audio stream 0 found!", "[b]Dolby Digital[/b] Plus audio stream 3 found!",
          "[b]LPCM[/b] audio stream 2 found!", "[b]Dolby TrueHD[/b] audio stream 5 found!",
          "[b]DTS HD (DTS)[/b] audio stream 1 found!", "[b]Subpicture[/b] stream 1 found!",
          "[b]Extended subpicture[/b] stream 31 found!",
          "VOB number 7 contains [b]1[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.",
          "PTM of first video frame = [re]00100000[/re]", "PTM of last video frame = 00115FEA",
          "Duration = [b]0:00:01.001[/b]", "   Substream id = E0", "   First PTS = [re]00100000[/re]",
          "   First PTS = [re]00100384[/re]  ([re]+10[/re]ms)", "Done."})
        EXPECT_TRUE(f.logged(line)) << line;
    EXPECT_TRUE(f.logged("Opening file [b]FEATURE_1.EVO[/b]"));
    EXPECT_EQ(f.model.boxes.video[0].caption, "MPEG-2.stream.0");
    EXPECT_EQ(f.model.boxes.audio[0].caption, "DD.stream.00");
    EXPECT_EQ(f.model.boxes.audio[1].caption, "DTSHD.stream.01");
    EXPECT_EQ(f.model.boxes.audio[2].caption, "LPCM.stream.02");
    EXPECT_EQ(f.model.boxes.audio[3].caption, "DD+.stream.03");
    EXPECT_EQ(f.model.boxes.audio[5].caption, "MLP.stream.05");
    EXPECT_EQ(f.model.boxes.sub[1].caption, "Subpicture.01");
    EXPECT_EQ(f.model.boxes.sub[31].caption, "Ext.Subpicture.31");
    EXPECT_TRUE(f.model.boxes.audio[3].ticked && f.model.boxes.audio[3].enabled);
    EXPECT_FALSE(f.model.boxes.audio[4].enabled);
    EXPECT_EQ(f.model.boxes.audio[4].caption, "No audio stream");
    EXPECT_TRUE(f.model.buttons.demux);
    EXPECT_TRUE(f.model.buttons.rebuild);
    EXPECT_TRUE(f.model.buttons.readSource);
    EXPECT_EQ(f.model.run.earliestFirstPts, kStart);
    EXPECT_EQ(f.model.run.countedFrames[0], 30);
    EXPECT_EQ(f.host.status[0], " Ready");
}

TEST(ReadRun, LinesComeInTheOrderOfTheFile) {
    ModelFixture f;
    f.source("A.EVO", buildProgramStream(movieStreams(), {}));
    f.read();
    const int opening = f.lineIndex("Opening file [b]A.EVO[/b]");
    const int vob =
        f.lineIndex("VOB number 1 contains [b]1[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.");
    const int found = f.lineIndex("[b]MPEG-2[/b] video stream 0 found!");
    const int done = f.lineIndex("Done.");
    ASSERT_GE(opening, 0);
    EXPECT_LT(opening, vob);
    EXPECT_LT(vob, found);
    EXPECT_LT(found, done);
    EXPECT_EQ(f.host.markup[size_t(done) + 1], "");
}

TEST(ReadRun, WithoutDetailsOnlyDiscoveryAndNavigationLinesButTheEarliestPtsIsKept) {
    ModelFixture f;
    f.model.options.details = false;
    f.source("A.EVO", buildProgramStream(movieStreams(), {}));
    f.read();
    EXPECT_TRUE(f.logged("[b]Dolby Digital[/b] audio stream 0 found!"));
    EXPECT_FALSE(f.logged("."));
    for (const auto& m : f.host.markup) EXPECT_EQ(m.find("First PTS"), std::string::npos) << m;
    EXPECT_EQ(f.model.run.earliestFirstPts, kStart);
}

TEST(ReadRun, SharedSlotKeepsTheFirstStreamSeen) {
    ModelFixture f;
    f.source("A.EVO", buildProgramStream(
                          {audio(EsKind::Ac3, 0x80, 10, 1000, kStart, 1),
                           audio(EsKind::Dts, 0x88, 10, 1000, kStart + 10, 2),
                           subpicture(0x20, 1, 100, kStart, 3), subpicture(0x60, 1, 100, kStart + 5, 4)},
                          {}));
    f.read();
    EXPECT_TRUE(f.logged("[b]Dolby Digital[/b] audio stream 0 found!"));
    EXPECT_FALSE(f.logged("[b]DTS HD (DTS)[/b] audio stream 0 found!"));
    EXPECT_TRUE(f.logged("[b]Subpicture[/b] stream 0 found!"));
    EXPECT_FALSE(f.logged("[b]Extended subpicture[/b] stream 0 found!"));
    EXPECT_EQ(f.model.table.audio[0], 0x80);
    EXPECT_EQ(f.model.table.sub[0], 0x20);
    EXPECT_EQ(f.count("   Substream id = 80"), 1);
}

TEST(ReadRun, CopyControlLines) {
    ModelFixture f;
    MuxOptions o;
    o.copyControl = CopyControl{0x40, 0xF0, uint8_t(5 << 5 | 6 << 2 | 3)};
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, 3, 1000, kStart)}, o));
    f.read();
    for (const char* line :
         {"[b]This file is ENCRYPTED![/b] Decrypt it before any process.", "[b]Copy Never[/b]",
          "[b]APS2 is ON[/b]", "[b]ICT on, constrained analog output[/b]",
          "[b]DOT on, analog output not allowed[/b]"})
        EXPECT_TRUE(f.logged(line)) << line;
}

TEST(ReadRun, CopyFreelyAndApsOffAreNotShown) {
    ModelFixture f;
    MuxOptions o;
    o.copyControl = CopyControl{0x00, 0xC0, 0x00};
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, 3, 1000, kStart)}, o));
    f.read();
    EXPECT_FALSE(f.logged("[b]Copy Freely[/b]"));
    EXPECT_FALSE(f.logged("[b]off[/b]"));
    EXPECT_FALSE(f.logged("[b]This file is ENCRYPTED![/b] Decrypt it before any process."));
}

TEST(ReadRun, VobAndEvoLayoutsGiveTheSameCounts) {
    for (Layout layout : {Layout::Evo, Layout::Vob}) {
        ModelFixture f;
        MuxOptions o;
        o.layout = layout;
        f.source(layout == Layout::Evo ? "A.EVO" : "VTS_01_1.VOB",
                 buildProgramStream(
                     {mpeg2Video(0xE0, 3, 1000, kStart), audio(EsKind::Ac3, 0x80, 5, 500, kStart, 1),
                      audio(EsKind::Ac3, 0x81, 5, 500, kStart, 1), subpicture(0x20, 1, 100, kStart, 2)},
                     o));
        f.read();
        EXPECT_TRUE(f.logged(
            "VOB number 1 contains [b]0[/b] video , [b]2[/b] audio and [b]1[/b] subpicture streams."));
    }
}

TEST(ReadRun, DurationWrapsWhenTheEndIsBeforeTheStart) {
    ModelFixture f;
    MuxOptions o;
    o.startPtm = 1000;
    o.endPtm = 100;
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, 3, 1000, kStart)}, o));
    f.read();
    // 2^32 ticks less the 900 of the difference
    EXPECT_TRUE(f.logged("Duration = [b]13:15:21.849[/b]"));
}

TEST(ReadRun, LargeFileTakesTheSystemHeaderBoundsAndCountsEveryPicture) {
    ModelFixture f;
    const int pictures = 200;
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, pictures, 6000, kStart),
                                          audio(EsKind::Ac3, 0x80, 300, 1536, kStart, 1)},
                                         {}));
    f.read();
    EXPECT_TRUE(f.logged("VOB number 1 contains [b]1[/b] video and [b]1[/b] audio streams."));
    EXPECT_EQ(f.model.run.countedFrames[0], pictures);
}

TEST(ReadRun, AobReportsItsBoundsAndMlpInA1) {
    ModelFixture f;
    MuxOptions o;
    o.layout = Layout::Vob;
    o.navPacks = true;
    o.videoBound = 0;
    o.audioBound = 2;
    f.source("ATS_01_1.AOB", buildProgramStream({audio(EsKind::AobMlp, 0xA1, 200, 2000, kStart, 1)}, o));
    f.read();
    EXPECT_TRUE(f.logged("It contains [b]2[/b] audio streams."));
    EXPECT_TRUE(f.logged("[b]MLP[/b] audio stream 1 found!"));
}

TEST(ReadRun, FastCheckStopsAfterTheChunkPastTheLimit) {
    ModelFixture f;
    f.model.options.fastCheckMiB = 0;
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, 200, 6000, kStart)}, {}));
    f.read();
    EXPECT_TRUE(f.logged("Done."));
    // only the first 256 KiB were scanned
    EXPECT_LT(f.model.run.countedFrames[0], 50);
    EXPECT_GT(f.model.run.countedFrames[0], 0);
}

TEST(ReadRun, AMissingSourceIsShownAsAnErrorAndTheButtonsComeBack) {
    ModelFixture f;
    f.model.sourcePath = f.dir.file("missing.EVO");
    f.model.sourceChanged();
    f.read();
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(f.host.errors[0].rfind("Cannot open file \"" + f.dir.file("missing.EVO") + "\". ", 0), 0u);
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_TRUE(f.model.buttons.readSource);
    EXPECT_FALSE(f.model.runActive);
}

TEST(ReadRun, SplitMovieIsReadAsOneSequence) {
    ModelFixture f;
    const std::string first =
        f.source("FEATURE_1.EVO", buildProgramStream({mpeg2Video(0xE0, 10, 2000, kStart)}, {}));
    writeFile(f.dir.file("FEATURE_2.EVO"), buildProgramStream({mpeg2Video(0xE0, 12, 2000, kStart + 30030),
                                                               audio(EsKind::Ac3, 0x80, 5, 500, kStart, 1)},
                                                              {}));
    f.read();
    EXPECT_EQ(f.model.baseName, "FEATURE_1_MERGED");
    EXPECT_TRUE(f.logged("Opening file [b]FEATURE_2.EVO[/b]"));
    EXPECT_EQ(f.model.run.countedFrames[0], 22);
    EXPECT_EQ(f.count("[b]MPEG-2[/b] video stream 0 found!"), 2);
    // the boxes show the streams of the last file read
    EXPECT_TRUE(f.model.boxes.audio[0].enabled);
    // the first PTM is the first file's
    EXPECT_EQ(f.model.run.firstPtm, kStart);

    ModelFixture g;
    g.model.options.continueSequence = false;
    g.source("FEATURE_1.EVO", readFile(first));
    writeFile(g.dir.file("FEATURE_2.EVO"), readFile(f.dir.file("FEATURE_2.EVO")));
    g.read();
    EXPECT_EQ(g.model.baseName, "FEATURE_1");
    EXPECT_FALSE(g.logged("Opening file [b]FEATURE_2.EVO[/b]"));
}

// A file of a sequence whose first packet carries no time stamp gives its stream no first
// time: the origin of the outputs stays the first file's.
TEST(ReadRun, AFileStartingWithoutATimeStampLeavesTheOriginAlone) {
    ModelFixture f;
    f.source("VTS_01_1.VOB",
             buildProgramStream({mpeg2Video(0xE0, 10, 2000, kStart)}, {.layout = Layout::Vob}));
    EsStream audio2 = audio(EsKind::Ac3, 0x80, 5, 500, kStart + 30030, 1);
    audio2.units.front().pts.reset();
    writeFile(f.dir.file("VTS_01_2.VOB"), buildProgramStream({audio2}, {.layout = Layout::Vob}));
    f.read();
    EXPECT_TRUE(f.logged("   First PTS = [re]none[/re]"));
    EXPECT_EQ(f.model.run.earliestFirstPts, kStart);
}

TEST(ReadRun, CancelEndsTheSequenceAndDiscardsTheCounts) {
    ModelFixture f;
    f.model.options.fastCheck = false;
    f.source("FEATURE_1.EVO", buildProgramStream({mpeg2Video(0xE0, 1500, 6000, kStart)}, {}));
    writeFile(f.dir.file("FEATURE_2.EVO"), buildProgramStream({mpeg2Video(0xE0, 10, 2000, kStart)}, {}));
    f.host.onPump = [&] { runs::cancel(f.model, f.host); };
    f.read();
    EXPECT_TRUE(f.host.questions.empty());  // a Read is cancelled without a question
    EXPECT_FALSE(f.logged("Opening file [b]FEATURE_2.EVO[/b]"));
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_EQ(f.model.run.countedFrames[0], 0);
    EXPECT_FALSE(f.logged("Cancelled."));
}

TEST(ReadRun, ProgressEveryFourMegabytes) {
    ModelFixture f;
    f.model.options.fastCheck = false;
    f.source("A.EVO", buildProgramStream({mpeg2Video(0xE0, 1500, 6000, kStart)}, {}));
    std::vector<std::string> progress;
    f.host.onPump = [&] { progress.push_back(f.host.status[1]); };
    f.read();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress[0].rfind(" 4/", 0), 0u) << progress[0];
    EXPECT_NE(progress[0].find(" Mbytes, Remaining time: 0:00:0"), std::string::npos) << progress[0];
}

TEST(ReadRun, FileNameWithBracketsShowsAsItIs) {
    ModelFixture f;
    f.source("Movie [2007].EVO", buildProgramStream({mpeg2Video(0xE0, 3, 1000, kStart)}, {}));
    f.read();
    bool shown = false;
    for (const auto& l : f.host.lines) shown = shown || l.text == "Opening file Movie [2007].EVO";
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace quarnel
