// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "fixtures/model_fixture.h"
#include "fixtures/sample_streams.h"
#include "io/write_queue.h"

namespace quarnel {
namespace {

using namespace fixtures;

constexpr uint32_t kStart = 0x00200000;
constexpr uint32_t kFrame = 3003;

// Video 0xE0; audio 0x80, 0x81, 0x8A (slots 0 to 2) and 0xC5 (slot 5); subpictures 0x20, 0x21.
std::vector<EsStream> movie(int pictures, uint32_t start, uint8_t seed) {
    return {mpeg2Video(0xE0, pictures, 3000, start),
            audio(EsKind::Ac3, 0x80, pictures, 500, start, seed),
            audio(EsKind::Ac3, 0x81, pictures, 500, start, uint8_t(seed + 40)),
            audio(EsKind::Dts, 0x8A, pictures, 700, start, uint8_t(seed + 80)),
            audio(EsKind::Eac3, 0xC5, pictures, 400, start, uint8_t(seed + 120)),
            subpicture(0x20, 1, 600, start + 900, uint8_t(seed + 160)),
            subpicture(0x21, 1, 600, start + 900, uint8_t(seed + 200))};
}

uint32_t get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
std::optional<uint32_t> ptsOfPack(const Bytes& b, size_t pack) {
    const uint8_t* p = b.data() + pack * kPackSize;
    if (!(p[21] & 0x80) || p[17] == 0xBB || p[17] == 0xBE || p[17] == 0xBF) return std::nullopt;
    return uint32_t(p[23] & 0x06) << 29 | uint32_t(p[24]) << 22 | uint32_t(p[25] >> 1) << 15 |
           uint32_t(p[26]) << 7 | uint32_t(p[27] >> 1);
}

struct RebuildFixture : ModelFixture {
    std::string out;
    RebuildFixture() {
        out = dir.file("out");
        std::filesystem::create_directories(out);
        model.options.outputDir = out;
    }
    void splitMovie(const MuxOptions& first = {}, const MuxOptions& second = {},
                    uint32_t secondStart = kStart) {
        source("FEATURE_1.EVO", buildProgramStream(movie(20, kStart, 1), first));
        writeFile(dir.file("FEATURE_2.EVO"), buildProgramStream(movie(10, secondStart, 2), second));
    }
    // Ticks exactly the listed boxes of the streams found.
    void keep(std::initializer_list<int> video, std::initializer_list<int> audio,
              std::initializer_list<int> sub) {
        for (auto& b : model.boxes.video) b.ticked = false;
        for (auto& b : model.boxes.audio) b.ticked = false;
        for (auto& b : model.boxes.sub) b.ticked = false;
        for (int k : video) model.boxes.video[size_t(k)].ticked = true;
        for (int k : audio) model.boxes.audio[size_t(k)].ticked = true;
        for (int k : sub) model.boxes.sub[size_t(k)].ticked = true;
        model.updateRunButtons();
    }
    Bytes rebuilt(const std::string& name = "FEATURE_1_MERGED.rebuilt.EVO") {
        return readFile(out + "/" + name);
    }
};

TEST(RebuildRun, SplitMovieKeepingASubsetDemuxesLikeTheSource) {
    RebuildFixture f;
    f.splitMovie();
    f.read();
    // Demux of the source, every stream.
    const std::string sourceOut = f.dir.file("source-out");
    std::filesystem::create_directories(sourceOut);
    f.model.options.outputDir = sourceOut;
    runs::demux(f.model, f.host);
    f.model.options.outputDir = f.out;
    f.keep({0}, {1, 2}, {1});
    runs::rebuild(f.model, f.host);
    ASSERT_TRUE(f.model.lastError.empty()) << f.model.lastError;

    const std::string outName = f.out + "/FEATURE_1_MERGED.rebuilt.EVO";
    for (const char* line :
         {"Opening file [b]FEATURE_1.EVO[/b]", "Opening file [b]FEATURE_2.EVO[/b]", "Rebuilding...", "Done."})
        EXPECT_TRUE(f.logged(line)) << line;
    EXPECT_TRUE(f.logged("Creating " + outName));
    EXPECT_EQ(f.host.status[0], " Ready");
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.rebuild && f.model.buttons.demux && f.model.buttons.readSource);
    EXPECT_FALSE(f.model.cancelEnabled);
    const Bytes out = f.rebuilt();
    EXPECT_EQ(out.size() % kPackSize, 0u);
    EXPECT_EQ(std::filesystem::file_size(f.dir.file("FEATURE_2.EVO")) % kPackSize, 0u);

    // The rebuilt file as a source of its own: kept streams only, renumbered from 0.
    ModelFixture g;
    g.source("MOVIE.EVO", out);
    g.model.options.outputDir = g.dir.path();
    g.read();
    EXPECT_EQ(g.model.table.video[0], 0xE0);
    EXPECT_EQ(g.model.table.video[1], -1);
    EXPECT_EQ(g.model.table.audio[0], 0x80);
    EXPECT_EQ(g.model.table.audio[1], 0x89);
    for (int k = 2; k < kAudioSlots; ++k) EXPECT_EQ(g.model.table.audio[size_t(k)], -1) << k;
    EXPECT_EQ(g.model.table.sub[0], 0x20);
    for (int k = 1; k < kSubSlots; ++k) EXPECT_EQ(g.model.table.sub[size_t(k)], -1) << k;
    EXPECT_EQ(out[23] >> 2, 2) << "audio_bound";
    EXPECT_EQ(out[24] & 0x1F, 1) << "video_bound";
    runs::demux(g.model, g.host);
    const auto same = [&](const std::string& sourceName, const std::string& rebuiltName) {
        const Bytes expected = readFile(sourceOut + "/FEATURE_1_MERGED." + sourceName);
        EXPECT_FALSE(expected.empty()) << sourceName;
        EXPECT_EQ(readFile(g.dir.file("MOVIE." + rebuiltName)), expected) << sourceName;
    };
    same("MPEG-2.stream.0.mpv", "MPEG-2.stream.0.mpv");
    same("DD.stream.01.mpa", "DD.stream.00.mpa");
    same("DTSHD.stream.02.mpa", "DTSHD.stream.01.mpa");
    same("Subpicture.01.sup", "Subpicture.00.sup");
}

TEST(RebuildRun, AdjustPtsMovesEachFollowingFileOnByTheEndOfTheOnesBefore) {
    // The second file's clock restarts; the first ends near the top of the 32-bit range, so
    // the moved time stamps wrap.
    constexpr uint32_t kFirstStart = 0xFFF00000, kSecondStart = 0x00300000;
    const uint32_t end1 = kFirstStart + 20 * kFrame, end2 = kSecondStart + 10 * kFrame;
    RebuildFixture f;
    MuxOptions first, second;
    first.startPtm = kFirstStart;
    first.endPtm = end1;
    second.startPtm = kSecondStart;
    second.endPtm = end2;
    f.source("FEATURE_1.EVO", buildProgramStream(movie(20, kFirstStart, 1), first));
    writeFile(f.dir.file("FEATURE_2.EVO"), buildProgramStream(movie(10, kSecondStart, 2), second));
    f.read();
    f.read();  // a second Read does not count the end times twice
    f.model.options.adjustPts = true;
    f.model.options.continueSequence = false;
    runs::rebuild(f.model, f.host);
    const size_t firstPacks = f.rebuilt("FEATURE_1.rebuilt.EVO").size() / kPackSize;
    f.model.options.continueSequence = true;
    runs::rebuild(f.model, f.host);
    const Bytes adjusted = f.rebuilt();
    f.model.options.adjustPts = false;
    runs::rebuild(f.model, f.host);
    const Bytes plain = f.rebuilt();
    f.model.options.adjustPts = true;
    runs::rebuild(f.model, f.host);
    EXPECT_EQ(f.rebuilt(), adjusted) << "every Rebuild after a Read starts afresh";

    ASSERT_EQ(plain.size(), adjusted.size());
    int moved = 0, navs = 0;
    for (size_t k = 0; k < plain.size() / kPackSize; ++k) {
        const size_t at = k * kPackSize;
        if (plain[at + 17] == 0xBB) {
            ++navs;
            EXPECT_EQ(get32(plain, at + 0x53A), kFirstStart);
            EXPECT_EQ(get32(plain, at + 0x53E), end2) << "the end of the last file read";
            EXPECT_EQ(get32(adjusted, at + 0x53A), kFirstStart);
            EXPECT_EQ(get32(adjusted, at + 0x53E), end1 + end2) << "the end of both files";
            continue;
        }
        const auto a = ptsOfPack(plain, k), b = ptsOfPack(adjusted, k);
        ASSERT_EQ(a.has_value(), b.has_value());
        if (!a) continue;
        EXPECT_EQ(*b, k < firstPacks ? *a : *a + end1) << "pack " << k;
        EXPECT_EQ(adjusted[at + 23] & 0x08, plain[at + 23] & 0x08) << "bit 32";
        if (k >= firstPacks && *b < *a) ++moved;
    }
    EXPECT_GT(navs, 2);
    EXPECT_GT(moved, 10) << "the second file's time stamps wrapped";
}

TEST(RebuildRun, AFileThatAlreadyStartsWhereTheFirstEndsIsLeftAlone) {
    RebuildFixture f;
    const uint32_t end1 = kStart + 20 * kFrame;
    MuxOptions first, second;
    first.endPtm = end1;
    second.startPtm = end1;
    f.splitMovie(first, second, end1);
    f.read();
    runs::rebuild(f.model, f.host);
    const Bytes plain = f.rebuilt();
    f.model.options.adjustPts = true;
    runs::rebuild(f.model, f.host);
    const Bytes adjusted = f.rebuilt();
    ASSERT_EQ(plain.size(), adjusted.size());
    for (size_t k = 0; k < plain.size() / kPackSize; ++k) {
        if (plain[k * kPackSize + 17] != 0xBB) {
            EXPECT_EQ(ptsOfPack(plain, k), ptsOfPack(adjusted, k)) << k;
        }
    }
}

TEST(RebuildRun, AdvancedPacksShortLastPackAndTheNameOfASingleFile) {
    RebuildFixture f;
    MuxOptions o;
    o.advancedPacksPerVobu = 2;
    Bytes evo = buildProgramStream(movie(200, kStart, 1), o);
    // Cut the file so that its short last pack lands, in the second 256 KiB read, where the
    // first read held a pack of a dropped stream (0xC5): nothing of that pack may stick to it.
    constexpr size_t kPacksPerRead = 128;
    size_t dropped = 0;
    while (!(evo[dropped * kPackSize + 17] == 0xBD &&
             evo[dropped * kPackSize + 23 + evo[dropped * kPackSize + 22]] == 0xC5))
        ++dropped;
    ASSERT_LT(dropped, kPacksPerRead);
    ASSERT_GE(evo.size(), (dropped + kPacksPerRead) * kPackSize);
    evo.resize((dropped + kPacksPerRead) * kPackSize);
    const Bytes tail = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04};
    evo.insert(evo.end(), tail.begin(), tail.end());
    f.source("MOVIE.EVO", evo);
    f.read();
    f.model.boxes.audio[5].ticked = false;
    const auto advanced = [](const Bytes& b) {
        int n = 0;
        for (size_t at = 0; at + kPackSize <= b.size(); at += kPackSize)
            if (b[at + 17] == 0xBF && b[at + 20] == 0x80) ++n;
        return n;
    };
    ASSERT_GT(advanced(evo), 0);
    runs::rebuild(f.model, f.host);
    Bytes out = f.rebuilt("MOVIE.rebuilt.EVO");
    EXPECT_EQ(advanced(out), 0);
    EXPECT_EQ(out.size() % kPackSize, tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), out.end() - long(tail.size())));
    f.model.boxes.audio[5].ticked = true;
    f.model.options.keepAdvancedPacks = true;
    runs::rebuild(f.model, f.host);
    out = f.rebuilt("MOVIE.rebuilt.EVO");
    EXPECT_EQ(advanced(out), advanced(evo));
    EXPECT_EQ(out.size(), evo.size()) << "every stream kept";
}

TEST(RebuildRun, CancelKeepsTheWholePacksWrittenAsPartialAndSkipsTheNextFile) {
    RebuildFixture f;
    f.source("FEATURE_1.EVO", buildProgramStream({mpeg2Video(0xE0, 60, 90000, kStart)}, {}));
    writeFile(f.dir.file("FEATURE_2.EVO"), buildProgramStream({mpeg2Video(0xE0, 5, 3000, kStart)}, {}));
    ASSERT_GT(std::filesystem::file_size(f.dir.file("FEATURE_1.EVO")), 5u * 1048576);
    f.model.options.fastCheck = false;
    f.read();
    f.host.onPump = [&] { runs::cancel(f.model, f.host); };
    f.host.clearLog();
    runs::rebuild(f.model, f.host);
    EXPECT_TRUE(f.model.lastError.empty());
    EXPECT_EQ(f.host.questions.back(),
              "Stop the Rebuild? What was written so far can be kept as .partial files.");
    EXPECT_TRUE(f.logged("Cancelled."));
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(f.logged("Opening file [b]FEATURE_2.EVO[/b]"));
    EXPECT_FALSE(std::filesystem::exists(f.out + "/FEATURE_1_MERGED.rebuilt.EVO"));
    EXPECT_EQ(std::filesystem::file_size(f.out + "/FEATURE_1_MERGED.rebuilt.EVO.partial"), 4u * 1048576);
    EXPECT_EQ(f.host.status[0], " Ready");
    EXPECT_FALSE(f.model.run.busy);
}

TEST(RebuildRun, RefusedRunsTouchNothing) {
    RebuildFixture f;
    f.splitMovie();
    f.read();
    const Bytes second = readFile(f.dir.file("FEATURE_2.EVO"));

    f.model.tableFromPlaylist = true;  // as the playlist reader leaves it
    runs::rebuild(f.model, f.host);
    EXPECT_EQ(f.model.lastError,
              "The stream boxes come from the playlist, not from the source file. Read the EVO file before "
              "rebuilding it.");
    EXPECT_EQ(f.host.errors.back(), f.model.lastError);
    f.read();
    EXPECT_FALSE(f.model.tableFromPlaylist);

    // The output name reaches a file of the sequence: it is never emptied.
    std::filesystem::create_symlink(f.dir.file("FEATURE_2.EVO"), f.out + "/FEATURE_1_MERGED.rebuilt.EVO");
    f.host.clearLog();
    runs::rebuild(f.model, f.host);
    EXPECT_NE(f.model.lastError.find("would replace a source file of this run"), std::string::npos);
    EXPECT_EQ(readFile(f.dir.file("FEATURE_2.EVO")), second);
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.rebuild && f.model.buttons.readSource);

    ModelFixture v;
    v.source("VTS_01_1.VOB", buildProgramStream(movie(5, kStart, 1), {.layout = Layout::Vob}));
    v.read();
    runs::rebuild(v.model, v.host);
    EXPECT_EQ(v.model.lastError, "Only EVO files can be rebuilt.");

    f.keep({}, {}, {});
    runs::rebuild(f.model, f.host);
    EXPECT_EQ(f.model.lastError, "No stream is ticked: there is nothing to rebuild.");
}

TEST(RebuildRun, FileErrorsStopTheRunAndRestoreTheButtons) {
    RebuildFixture f;
    f.splitMovie();
    f.read();
    f.host.clearLog();
    writeFile(f.dir.file("a-file"), {1});
    f.model.options.outputDir = f.dir.file("a-file/below");  // a folder that cannot be made
    runs::rebuild(f.model, f.host);
    EXPECT_EQ(
        f.model.lastError.rfind(
            "Cannot create file \"" + f.dir.file("a-file/below") + "/FEATURE_1_MERGED.rebuilt.EVO\".", 0),
        0u)
        << f.model.lastError;
    EXPECT_EQ(f.host.errors.back(), f.model.lastError);
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.rebuild && f.model.buttons.demux && f.model.buttons.readSource);
    EXPECT_EQ(f.host.status[0], " Ready");

    // A link of the output's name is replaced, never written through.
    f.model.options.outputDir = f.out;
    const std::string target = f.dir.file("target");
    writeFile(target, {7});
    std::filesystem::create_symlink(target, f.out + "/FEATURE_1_MERGED.rebuilt.EVO");
    runs::rebuild(f.model, f.host);
    EXPECT_EQ(f.model.lastError, "");
    EXPECT_EQ(readFile(target), (Bytes{7}));
    EXPECT_FALSE(std::filesystem::is_symlink(f.out + "/FEATURE_1_MERGED.rebuilt.EVO"));
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.rebuild);
    EXPECT_FALSE(f.model.cancelEnabled);
}

// A source over several windows of the mapped input, packs written from where it is mapped and
// rewritten ones from copies: a writer that sleeps and takes at most 16 KiB a call gets the same
// file as the plain one, whose video demuxes to the source's.
TEST(RebuildRun, ASlowWriterGetsTheSameFileOverManyInputWindows) {
    RebuildFixture f;
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 2400, 5000, kStart),
                                           audio(EsKind::Ac3, 0x80, 400, 1500, kStart, 1),
                                           audio(EsKind::Dts, 0x8A, 400, 1000, kStart, 2)};
    f.source("BIG.EVO", buildProgramStream(streams, {}));
    f.read();
    f.keep({0}, {2}, {});  // the DTS stream is renumbered: its packs are rewritten
    runs::rebuild(f.model, f.host);
    ASSERT_TRUE(f.model.lastError.empty()) << f.model.lastError;
    const Bytes plain = f.rebuilt("BIG.rebuilt.EVO");
    ASSERT_GT(plain.size(), size_t(10) << 20);
    {
        const ScopedWriteCall slow([](int fd, const iovec* pieces, int) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return ::write(fd, pieces[0].iov_base, std::min<size_t>(pieces[0].iov_len, 16384));
        });
        runs::rebuild(f.model, f.host);
    }
    ASSERT_TRUE(f.model.lastError.empty()) << f.model.lastError;
    EXPECT_TRUE(f.rebuilt("BIG.rebuilt.EVO") == plain);

    ModelFixture g;
    g.source("MOVIE.EVO", plain);
    g.model.options.outputDir = g.dir.path();
    g.read();
    runs::demux(g.model, g.host);
    EXPECT_TRUE(readFile(g.dir.file("MOVIE.MPEG-2.stream.0.mpv")) == elementaryBytes(streams[0]));
}

}  // namespace
}  // namespace quarnel
