// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "fixtures/model_fixture.h"
#include "fixtures/sample_streams.h"
#include "fixtures/subpicture_unit.h"
#include "io/write_queue.h"

namespace quarnel {
namespace {

using namespace fixtures;

constexpr uint32_t kStart = 0x00200000;

struct DemuxFixture : ModelFixture {
    std::string out() {
        const std::string o = dir.file("out");
        std::filesystem::create_directories(o);
        return o;
    }
    void demuxAll(const std::string& workdir) {
        model.options.outputDir = workdir;
        read();
        runs::demux(model, host);
    }
};

TEST(DemuxRun, EveryStreamGetsItsPayloadWithoutHeaders) {
    DemuxFixture f;
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 20, 5000, kStart),
                                           h264Video(0xE3, 5, 3000, kStart),
                                           vc1Video(0x55, 0, 0, kStart),
                                           audio(EsKind::Ac3, 0x80, 30, 1536, kStart, 1),
                                           audio(EsKind::Lpcm, 0xA1, 10, 3000, kStart, 2),
                                           audio(EsKind::TrueHd, 0xB2, 10, 900, kStart, 3),
                                           audio(EsKind::Eac3, 0xCF, 10, 700, kStart, 4),
                                           audio(EsKind::Dts, 0x8C, 10, 1000, kStart, 5)};
    std::vector<EsStream> used = streams;
    used.erase(used.begin() + 2);  // no VC-1 here: it would share video slot 0
    f.source("FEATURE_1.EVO", buildProgramStream(used, {}));
    const std::string out = f.out();
    f.demuxAll(out);
    ASSERT_TRUE(f.model.lastError.empty()) << f.model.lastError;
    const auto expect = [&](const std::string& name, const EsStream& s) {
        EXPECT_TRUE(f.logged("Creating " + out + "/" + name)) << name;
        EXPECT_EQ(readFile(out + "/" + name), elementaryBytes(s)) << name;
    };
    expect("FEATURE_1.MPEG-2.stream.0.mpv", streams[0]);
    expect("FEATURE_1.H.264.stream.1.mpv", streams[1]);
    expect("FEATURE_1.DD.stream.00.mpa", streams[3]);
    expect("FEATURE_1.LPCM.stream.01.mpa", streams[4]);
    expect("FEATURE_1.MLP.stream.02.mpa", streams[5]);
    expect("FEATURE_1.DD+.stream.15.mpa", streams[6]);
    expect("FEATURE_1.DTSHD.stream.04.mpa", streams[7]);
    EXPECT_TRUE(f.logged("Demuxing FEATURE_1.EVO"));
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_EQ(f.model.run.countedFrames[0], 20);
    EXPECT_EQ(f.model.run.countedFrames[1], 5);
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.demux);
}

TEST(DemuxRun, Vc1StreamsAreFoundByTheirExtension) {
    DemuxFixture f;
    const EsStream v0 = vc1Video(0x55, 12, 2500, kStart), v1 = vc1Video(0x56, 4, 2500, kStart);
    f.source("A.EVO", buildProgramStream({v0, v1}, {}));
    f.demuxAll(f.out());
    EXPECT_TRUE(f.logged("[b]VC-1[/b] video stream 0 found!"));
    EXPECT_TRUE(f.logged("[b]VC-1[/b] video stream 1 found!"));
    EXPECT_TRUE(f.logged("   Substream id = 55"));
    EXPECT_EQ(readFile(f.dir.file("out/A.VC-1.stream.0.mpv")), elementaryBytes(v0));
    EXPECT_EQ(readFile(f.dir.file("out/A.VC-1.stream.1.mpv")), elementaryBytes(v1));
    EXPECT_EQ(f.model.run.countedFrames[0], 12);
}

// A PTS of 0 is a time like any other: a unit there keeps its record.
TEST(DemuxRun, SubpicturesBecomeSupRecordsTimedFromTheEarliestPts) {
    for (const uint32_t start : {kStart, 0u}) {
        DemuxFixture f;
        const uint32_t after = start == 0 ? 0 : 45000;
        EsStream sub = subpicture(0x22, 2, 5000, start + after, 9);  // 5000 bytes: three packets per unit
        f.source("A.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 5, 500, start, 1), sub}, {}));
        f.demuxAll(f.out());
        Bytes expected = supRecord(after, sub.units[0].bytes);
        const Bytes second = supRecord(after + 90000, sub.units[1].bytes);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_EQ(readFile(f.dir.file("out/A.Subpicture.02.sup")), expected) << start;
    }
}

// A second file whose time stamps restart gives records whose times fall: the subtitle that
// ends before it starts is dropped, and the log and the run's values say so.
TEST(DemuxRun, SubtitlesDroppedForFallingTimesAreLoggedAndCounted) {
    DemuxFixture f;
    EsStream sub{EsKind::Subpicture, 0x21, {}};
    for (const uint32_t at : {9000u, 45000u})
        sub.units.push_back({dvdSubpictureUnit(textBitmap("AGAIN", 2), 100, 300, 27000), kStart + at, {}});
    const Bytes file = buildProgramStream({audio(EsKind::Ac3, 0x80, 5, 500, kStart, 1), sub}, {});
    writeFile(f.dir.file("FEATURE_2.EVO"), file);
    f.source("FEATURE_1.EVO", file);
    f.model.options.subtitles = {.sup = true, .pgs = true};
    f.demuxAll(f.out());
    ASSERT_EQ(f.model.lastError, "");
    EXPECT_TRUE(
        f.logged("[re]Subtitle at 00:00:00.500 dropped: the record after it starts at the same time or "
                 "earlier.[/re]"));
    EXPECT_EQ(f.model.run.droppedSubtitleRecords[1], 1u);
}

TEST(DemuxRun, WithoutAnAudioOrVideoStreamTheRecordsKeepTheirOwnTimes) {
    DemuxFixture f;
    EsStream sub = subpicture(0x20, 1, 100, 1000, 9);
    f.source("A.EVO", buildProgramStream({sub}, {}));
    f.model.options.outputDir = f.out();
    f.read();
    EXPECT_FALSE(f.model.run.earliestFirstPts);
    runs::demux(f.model, f.host);
    EXPECT_EQ(readFile(f.dir.file("out/A.Subpicture.00.sup")), supRecord(1000, sub.units[0].bytes));
}

// A subpicture unit at PTS 0 is a unit at time 0 with a record of its own.
TEST(DemuxRun, ATimeStampOfZeroIsATime) {
    DemuxFixture f;
    const EsStream sub = subpicture(0x20, 2, 100, 0, 9);
    f.source("A.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 2, 100, 0, 1), sub}, {}));
    f.model.options.outputDir = f.out();
    f.read();
    EXPECT_EQ(f.model.run.earliestFirstPts, 0u);
    runs::demux(f.model, f.host);
    Bytes expected = supRecord(0, sub.units[0].bytes);
    const Bytes second = supRecord(90000, sub.units[1].bytes);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(readFile(f.dir.file("out/A.Subpicture.00.sup")), expected);
}

TEST(DemuxRun, TwoCodingsInOneSlotNeverMix) {
    DemuxFixture f;
    const EsStream ac3 = audio(EsKind::Ac3, 0x80, 10, 1000, kStart, 1);
    const EsStream dts = audio(EsKind::Dts, 0x88, 10, 1000, kStart + 10, 2);
    const EsStream sub = subpicture(0x20, 1, 300, kStart, 3), ext = subpicture(0x60, 1, 300, kStart + 5, 4);
    f.source("A.EVO", buildProgramStream({ac3, dts, sub, ext}, {}));
    f.demuxAll(f.out());
    EXPECT_EQ(readFile(f.dir.file("out/A.DD.stream.00.mpa")), elementaryBytes(ac3));
    const Bytes sup = readFile(f.dir.file("out/A.Subpicture.00.sup"));
    EXPECT_EQ(sup.size(), 310u);
}

TEST(DemuxRun, SplitMovieGivesOneMergedFilePerStream) {
    DemuxFixture f;
    const EsStream v1 = mpeg2Video(0xE0, 10, 4000, kStart), v2 = mpeg2Video(0xE0, 8, 4000, kStart + 30030);
    const EsStream a1 = audio(EsKind::Eac3, 0xC3, 10, 900, kStart, 1),
                   a2 = audio(EsKind::Eac3, 0xC3, 10, 900, kStart, 50);
    const EsStream s1 = subpicture(0x20, 1, 200, kStart + 9000, 1),
                   s2 = subpicture(0x20, 1, 200, kStart + 99000, 2);
    f.source("FEATURE_1.EVO", buildProgramStream({v1, a1, s1}, {}));
    writeFile(f.dir.file("FEATURE_2.EVO"), buildProgramStream({v2, a2, s2}, {}));
    f.demuxAll(f.out() + "/");
    const auto both = [](const EsStream& x, const EsStream& y) {
        Bytes b = elementaryBytes(x), c = elementaryBytes(y);
        b.insert(b.end(), c.begin(), c.end());
        return b;
    };
    EXPECT_EQ(readFile(f.dir.file("out/FEATURE_1_MERGED.MPEG-2.stream.0.mpv")), both(v1, v2));
    EXPECT_EQ(readFile(f.dir.file("out/FEATURE_1_MERGED.DD+.stream.03.mpa")), both(a1, a2));
    Bytes sup = supRecord(9000, s1.units[0].bytes);
    const Bytes next = supRecord(99000, s2.units[0].bytes);
    sup.insert(sup.end(), next.begin(), next.end());
    EXPECT_EQ(readFile(f.dir.file("out/FEATURE_1_MERGED.Subpicture.00.sup")), sup);
    EXPECT_EQ(f.model.run.countedFrames[0], 18);
    EXPECT_TRUE(f.logged("Creating " + f.dir.path() + "/out/FEATURE_1_MERGED.MPEG-2.stream.0.mpv"));
}

TEST(DemuxRun, NamesWithoutOutputFolderAndWithAnEmptyExtension) {
    DemuxFixture f;
    f.source("FEATURE_1.EVO", buildProgramStream({audio(EsKind::Ac3, 0x83, 3, 100, kStart, 1)}, {}));
    f.model.options.audioExtension = "";
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(f.dir.path());
    f.demuxAll("");
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(f.logged("Creating FEATURE_1.DD.stream.03."));
    EXPECT_TRUE(std::filesystem::exists(f.dir.file("FEATURE_1.DD.stream.03.")));
}

TEST(DemuxRun, OnlyTickedBoxesAreWrittenAndASecondRunRewrites) {
    DemuxFixture f;
    f.source("A.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 100, kStart, 1),
                                          audio(EsKind::Ac3, 0x81, 3, 100, kStart, 2)},
                                         {}));
    f.model.options.outputDir = f.out();
    f.read();
    f.model.boxes.audio[1].ticked = false;
    runs::demux(f.model, f.host);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("out/A.DD.stream.01.mpa")));
    runs::demux(f.model, f.host);
    EXPECT_EQ(std::filesystem::file_size(f.dir.file("out/A.DD.stream.00.mpa")), 300u);
}

TEST(DemuxRun, NeverWritesOverASourceFile) {
    DemuxFixture f;
    const Bytes first = buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 100, kStart, 1)}, {});
    const Bytes second = buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 100, kStart, 2)}, {});
    f.source("X_1.EVO", first);
    writeFile(f.dir.file("X_2.EVO"), second);
    // a caption that leads the output name onto the second file of the sequence
    std::filesystem::create_directories(f.dir.file("X_1_MERGED."));
    f.model.options.audioExtension = "EVO";
    f.model.options.outputDir = f.dir.path();
    f.read();
    f.model.boxes.audio[0].caption = "/../X_2";
    runs::demux(f.model, f.host);
    EXPECT_EQ(readFile(f.dir.file("X_2.EVO")), second);
    EXPECT_NE(f.model.lastError.find("would replace a source file of this run"), std::string::npos)
        << f.model.lastError;
    EXPECT_EQ(f.count("Done."), 1);  // the Read's alone
}

// A video longer than a window of the mapped input beside `audioStreams` short ones: as the
// input moves on, the video's pieces are handed over and the short ones copied and kept.
struct ManyStreams {
    std::vector<EsStream> streams;
    std::vector<std::string> names;
    explicit ManyStreams(uint8_t audioStreams) {
        streams.push_back(mpeg2Video(0xE0, 1000, 5000, kStart));
        names.push_back("A.MPEG-2.stream.0.mpv");
        char name[40];
        for (uint8_t k = 0; k < audioStreams; ++k) {
            const bool ac3 = k < 8;
            streams.push_back(audio(ac3 ? EsKind::Ac3 : EsKind::Eac3, uint8_t(ac3 ? 0x80 + k : 0xC0 + k), 6,
                                    700 + 100 * k, kStart, k));
            std::snprintf(name, sizeof name, ac3 ? "A.DD.stream.%02d.mpa" : "A.DD+.stream.%02d.mpa", k);
            names.push_back(name);
        }
    }
};

// A writer that sleeps and takes at most 16 KiB of the first piece a call: batches wait in its
// queue and each takes many calls; every file still comes out whole.
TEST(DemuxRun, ASlowWriterStillGetsEveryFileWholeAndInOrder) {
    const ScopedWriteCall slow([](int fd, const iovec* pieces, int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return ::write(fd, pieces[0].iov_base, std::min<size_t>(pieces[0].iov_len, 16384));
    });
    for (const uint8_t audioStreams : {1, 16}) {
        DemuxFixture f;
        const ManyStreams many(audioStreams);
        const EsStream sub = subpicture(0x21, 3, 3000, kStart, 40);
        std::vector<EsStream> streams = many.streams;
        streams.push_back(sub);
        f.source("A.EVO", buildProgramStream(streams, {}));
        const std::string out = f.out();
        f.demuxAll(out);
        ASSERT_TRUE(f.model.lastError.empty()) << f.model.lastError;
        for (size_t k = 0; k < many.names.size(); ++k)
            EXPECT_EQ(readFile(out + "/" + many.names[k]), elementaryBytes(many.streams[k])) << many.names[k];
        Bytes sup;
        for (size_t u = 0; u < sub.units.size(); ++u) {
            const Bytes record = supRecord(uint32_t(u) * 90000, sub.units[u].bytes);
            sup.insert(sup.end(), record.begin(), record.end());
        }
        EXPECT_EQ(readFile(out + "/A.Subpicture.01.sup"), sup);
        // The video's frames are counted by the writer as it writes, a call at a time.
        EXPECT_EQ(f.model.run.countedFrames[0], 1000);
    }
}

// A write that fails in the writer's thread is the run's error, and no output is left.
TEST(DemuxRun, AFailedWriteIsReportedAndRemovesEveryOutput) {
    const ScopedWriteCall full([](int, const iovec*, int) -> ssize_t {
        errno = ENOSPC;
        return -1;
    });
    DemuxFixture f;
    const ManyStreams many(16);
    f.source("A.EVO", buildProgramStream(many.streams, {}));
    const std::string out = f.out();
    f.demuxAll(out);
    EXPECT_EQ(f.model.lastError.rfind("Cannot write file \"" + out + "/A.", 0), 0u) << f.model.lastError;
    EXPECT_NE(f.model.lastError.find("\". No space left on device."), std::string::npos) << f.model.lastError;
    EXPECT_TRUE(f.logged("[er]" + f.model.lastError + "[/er]"));
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST(DemuxRun, AnOutputThatCannotBeCreatedIsReported) {
    DemuxFixture f;
    f.source("A.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 100, kStart, 1)}, {}));
    writeFile(f.dir.file("a-file"), {1});
    f.demuxAll(f.dir.file("a-file/below"));  // a folder that cannot be made
    ASSERT_FALSE(f.model.lastError.empty());
    EXPECT_TRUE(f.logged("[er]" + f.model.lastError + "[/er]"));
    EXPECT_EQ(f.model.lastError.rfind("Cannot create file \"", 0), 0u);
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_TRUE(f.model.buttons.demux);
    EXPECT_FALSE(f.model.run.busy);
}

// A Cancel asks; Continue goes on; Stop keeps what was written as .partial files or removes it,
// and never leaves a truncated file under a final name or says "Done.".
TEST(DemuxRun, CancelAsksAndStopsAfterTheChunkInHand) {
    DemuxFixture f;
    f.model.options.fastCheck = false;
    const Bytes big = buildProgramStream({mpeg2Video(0xE0, 1500, 6000, kStart)}, {});
    f.source("FEATURE_1.EVO", big);
    writeFile(f.dir.file("FEATURE_2.EVO"), big);
    f.model.options.outputDir = f.out();
    f.read();
    f.host.choice = 2;  // Continue
    f.host.onPump = [&] { runs::cancel(f.model, f.host); };
    runs::demux(f.model, f.host);
    EXPECT_FALSE(f.logged("Cancelled."));
    EXPECT_TRUE(f.logged("Opening file [b]FEATURE_2.EVO[/b]"));
    const std::string video = f.dir.file("out/FEATURE_1_MERGED.MPEG-2.stream.0.mpv");
    std::filesystem::remove(video);
    for (const size_t choice : {0u, 1u}) {  // Stop and keep, Stop and remove
        f.host.markup.clear();
        f.host.choice = choice;
        f.host.questions.clear();
        runs::demux(f.model, f.host);
        ASSERT_FALSE(f.host.questions.empty());
        EXPECT_EQ(f.host.questions[0],
                  "Stop the Demux? What was written so far can be kept as .partial files.");
        EXPECT_GE(f.lineIndex("Cancelled."), 0);
        EXPECT_FALSE(f.logged("Done."));
        EXPECT_FALSE(f.logged("Opening file [b]FEATURE_2.EVO[/b]"));
        EXPECT_EQ(f.model.run.countedFrames[0], 0);
        EXPECT_FALSE(std::filesystem::exists(video));
        EXPECT_EQ(f.logged("Kept what was written as " + video + ".partial"), choice == 0);
        // with "keep", what was written so far is there: 4 MiB of input were read
        if (choice == 0) {
            EXPECT_GT(std::filesystem::file_size(video + ".partial"), 4000000u);
        }
        std::filesystem::remove(video + ".partial");
        EXPECT_TRUE(std::filesystem::is_empty(f.out())) << "no temporary or lock file is left";
    }
}

TEST(DemuxRun, CloseDuringARunAsksAndReadsDoNot) {
    DemuxFixture f;
    f.model.run.busy = nullptr;
    EXPECT_TRUE(runs::closeRequested(f.model, f.host));
    EXPECT_TRUE(f.host.questions.empty());
    f.model.run.busy = "Rebuild";
    f.model.run.cancel = false;
    f.host.choice = 2;  // Continue
    EXPECT_FALSE(runs::closeRequested(f.model, f.host));
    EXPECT_EQ(f.host.questions.back(),
              "Stop the Rebuild? What was written so far can be kept as .partial files.");
    f.host.choice = 1;
    EXPECT_TRUE(runs::closeRequested(f.model, f.host));
}

}  // namespace
}  // namespace quarnel
