// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged sources, damaged disc metadata and unusable output places, end to end: what the
// user is told, that each run ends the way it always ends, and what is on disk afterwards.
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>

#include "fixtures/build_paths.h"
#include "fixtures/model_fixture.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/vti_builder.h"

namespace quarnel {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

constexpr uint32_t kStart = 0x00200000;
constexpr size_t kChunk = 262144;
constexpr size_t kPesAt = 14;  // every pack of the builder holds its PES packet after the pack header

std::vector<EsStream> smallMovie() {
    return {mpeg2Video(0xE0, 20, 3000, kStart), audio(EsKind::Ac3, 0x80, 20, 800, kStart, 1),
            subpicture(0x20, 1, 500, kStart + 900, 7)};
}

// Offsets of the PES packets of one stream (a stream id, or 0xBD and a sub-stream id).
std::vector<size_t> packetsOf(const Bytes& file, uint8_t streamId, int subId = -1) {
    std::vector<size_t> found;
    for (size_t pack = 0; pack + kPackSize <= file.size(); pack += kPackSize) {
        const uint8_t* p = file.data() + pack + kPesAt;
        if (p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != streamId) continue;
        if (subId >= 0 && p[9 + p[8]] != subId) continue;
        found.push_back(pack + kPesAt);
    }
    return found;
}
uint16_t pesLength(const Bytes& file, size_t pes) {
    return uint16_t(file[pes + 4] << 8 | file[pes + 5]);
}

// `count` (at least 6) bytes of padding packets, which every run passes over.
Bytes paddingBytes(size_t count) {
    Bytes b;
    while (b.size() < count) {
        const size_t left = count - b.size();
        // the last packet keeps room for its own 6-byte header
        const size_t body = left > 0xFFFF + 6 ? std::min<size_t>(0xFFFF, left - 12) : left - 6;
        const Bytes header = {0x00, 0x00, 0x01, 0xBE, uint8_t(body >> 8), uint8_t(body)};
        b.insert(b.end(), header.begin(), header.end());
        b.resize(b.size() + body, 0xFF);
    }
    return b;
}

bool isPrefix(const Bytes& part, const Bytes& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

struct BadInput : ::testing::Test {
    ModelFixture f;
    std::string out;
    BadInput() {
        out = f.dir.file("out");
        fs::create_directories(out);
        f.model.options.outputDir = out;
        f.model.options.readVti = false;
    }
    std::string output(const std::string& name) const { return out + "/" + name; }
    void demux() {
        f.host.markup.clear();
        runs::demux(f.model, f.host);
    }
    void rebuild() {
        f.host.markup.clear();
        f.host.errors.clear();
        runs::rebuild(f.model, f.host);
    }
    // The one line the Demux run logs in red for the error that stopped it.
    std::string redLine() const { return "[er]" + f.model.lastError + "[/er]"; }
};

// A source without a stream is an error, never "Done.".
TEST_F(BadInput, AnEmptyFileIsAnErrorWithoutStreams) {
    const std::string source = f.source("FEATURE_1.EVO", {});
    f.read();
    EXPECT_EQ(f.host.errors, (std::vector<std::string>{"No streams found in FEATURE_1.EVO."}));
    EXPECT_TRUE(f.logged("File size: 0 Mbytes."));
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(f.model.boxes.anyTicked());
    EXPECT_FALSE(f.model.buttons.demux);
    EXPECT_FALSE(f.model.buttons.rebuild);
    EXPECT_TRUE(f.model.buttons.readSource);
    EXPECT_EQ(fs::file_size(source), 0u);

    const CommandResult r =
        runCommand(std::string(QUARNEL_CLI) + " demux -o " + out + " " + source, f.dir.file("stderr.txt"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.find("Done."), std::string::npos);
    EXPECT_EQ(r.err, "quarnel-cli: No streams found in FEATURE_1.EVO.\n");
    EXPECT_TRUE(fs::is_empty(out));
}

// A copy that stopped part way keeps every byte that arrived: each output is the beginning
// of its stream, the rebuilt file holds no more than the source.
TEST_F(BadInput, AFileCutMidPackOrMidPesHeaderGivesTheBeginningOfEachStream) {
    const std::vector<EsStream> streams = smallMovie();
    const Bytes whole = buildProgramStream(streams, {});
    const std::vector<size_t> audioPackets = packetsOf(whole, 0xBD, 0x80);
    ASSERT_GT(audioPackets.size(), 4u);
    const size_t cuts[] = {10 * kPackSize + 1000, audioPackets[3] + 10};
    for (const size_t cut : cuts) {
        SCOPED_TRACE(cut);
        const Bytes bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
        const std::string source = f.source("FEATURE_1.EVO", bytes);
        f.read();
        ASSERT_TRUE(f.host.errors.empty());
        EXPECT_TRUE(f.logged("Done."));
        EXPECT_TRUE(f.model.boxes.video[0].ticked && f.model.boxes.audio[0].ticked);

        demux();
        EXPECT_TRUE(f.model.lastError.empty()) << f.model.lastError;
        EXPECT_TRUE(f.logged("Done."));
        const Bytes video = readFile(output("FEATURE_1.MPEG-2.stream.0.mpv"));
        const Bytes sound = readFile(output("FEATURE_1.DD.stream.00.mpa"));
        EXPECT_FALSE(video.empty());
        EXPECT_TRUE(isPrefix(video, elementaryBytes(streams[0])));
        EXPECT_TRUE(isPrefix(sound, elementaryBytes(streams[1])));
        EXPECT_LT(sound.size(), elementaryBytes(streams[1]).size());

        rebuild();
        EXPECT_TRUE(f.host.errors.empty());
        EXPECT_TRUE(f.logged("Done."));
        EXPECT_LE(fs::file_size(output("FEATURE_1.rebuilt.EVO")), cut);
        EXPECT_EQ(readFile(source), bytes);
    }
}

// A PES_packet_length of 0 gives that one packet up: the stream loses its payload and every
// other packet, of that stream too, is kept.
TEST_F(BadInput, APesLengthOfZeroLosesOnlyThatPacket) {
    const std::vector<EsStream> streams = smallMovie();
    Bytes bytes = buildProgramStream(streams, {});
    const std::vector<size_t> audioPackets = packetsOf(bytes, 0xBD, 0x80);
    ASSERT_GT(audioPackets.size(), 3u);
    // The payload of the damaged packet, and where it lies in the stream.
    size_t before = 0, lost = 0;
    for (size_t k = 0; k <= 2; ++k) {
        const size_t pes = audioPackets[k];
        const size_t payload = pesLength(bytes, pes) - 3 - bytes[pes + 8] - 4;
        if (k < 2)
            before += payload;
        else
            lost = payload;
    }
    bytes[audioPackets[2] + 4] = bytes[audioPackets[2] + 5] = 0;
    f.source("FEATURE_1.EVO", bytes);
    f.read();
    EXPECT_TRUE(f.logged("Done."));
    demux();
    EXPECT_TRUE(f.model.lastError.empty());
    EXPECT_TRUE(f.logged("Done."));
    Bytes expected = elementaryBytes(streams[1]);
    expected.erase(expected.begin() + std::ptrdiff_t(before),
                   expected.begin() + std::ptrdiff_t(before + lost));
    EXPECT_EQ(readFile(output("FEATURE_1.DD.stream.00.mpa")), expected);
    EXPECT_EQ(readFile(output("FEATURE_1.MPEG-2.stream.0.mpv")), elementaryBytes(streams[0]));
}

// The last packet claims 65535 bytes: it takes what the file still holds and the run ends at
// the end of the file.
TEST_F(BadInput, APacketClaimingMoreBytesThanTheFileHasEndsWithTheFile) {
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 10, 3000, kStart)};
    MuxOptions o;
    o.navPacks = false;
    Bytes bytes = buildProgramStream(streams, o);
    const size_t last = packetsOf(bytes, 0xE0).back();
    const size_t end = last + 6 + pesLength(bytes, last);
    const Bytes after(bytes.begin() + std::ptrdiff_t(end), bytes.end());
    bytes[last + 4] = bytes[last + 5] = 0xFF;
    const std::string source = f.source("FEATURE_1.EVO", bytes);
    f.read();
    EXPECT_TRUE(f.logged("Done."));
    demux();
    EXPECT_TRUE(f.model.lastError.empty());
    EXPECT_TRUE(f.logged("Done."));
    Bytes expected = elementaryBytes(streams[0]);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(readFile(output("FEATURE_1.MPEG-2.stream.0.mpv")), expected);
    rebuild();
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_EQ(readFile(output("FEATURE_1.rebuilt.EVO")), bytes);
    EXPECT_EQ(readFile(source), bytes);
}

// The first navigation pack's DSI straddles the end of the first 256 KiB read: it is read
// whole. Cut there, the DSI's fields past the cut read as zero.
TEST_F(BadInput, ANavigationPackAtTheChunkBoundaryWholeOrCut) {
    MuxOptions o;
    o.startPtm = 0x00123456;
    o.endPtm = 0x00223456;
    const Bytes movie = buildProgramStream(smallMovie(), o);
    // The DSI's sub-stream id lies at 0x50D in the pack: 30 bytes of the DSI, up to its VOB
    // number, come before the boundary, its time fields after it.
    Bytes bytes = paddingBytes(kChunk - 0x50D - 30);
    bytes.insert(bytes.end(), movie.begin(), movie.end());
    f.source("FEATURE_1.EVO", bytes);
    f.read();
    EXPECT_TRUE(f.logged("PTM of first video frame = [re]00123456[/re]"));
    EXPECT_TRUE(f.logged("PTM of last video frame = 00223456"));
    EXPECT_TRUE(f.logged("Done."));

    bytes.resize(kChunk);
    f.host.markup.clear();
    f.source("FEATURE_1.EVO", bytes);
    f.read();
    EXPECT_EQ(f.host.errors, (std::vector<std::string>{"No streams found in FEATURE_1.EVO."}));
    EXPECT_TRUE(f.logged("VOB number 1 contains [b]0[/b] video and [b]0[/b] audio stream."));
    EXPECT_TRUE(f.logged("PTM of first video frame = [re]00000000[/re]"));
}

TEST_F(BadInput, APlaylistWithOutOfRangeIndexesAndAParentFolderDescription) {
    const std::string root = f.dir.path();
    fs::create_directories(root + "/HVDVD_TS");
    fs::create_directories(root + "/ADV_OBJ");
    const std::string playlist = root + "/ADV_OBJ/VPLST000.XPL";
    const std::string text =
        "<Playlist displayName=\"P\">\n<MediaAttributeList>\n"
        "<AudioAttributeItem index=\"1\" codec=\"DD\" channels=\"2\"/>\n"
        "<AudioAttributeItem index=\"9\" codec=\"DTS\"/>\n"
        "<SubpictureAttributeItem index=\"1\" codec=\"2bitRLE\"/>\n</MediaAttributeList>\n"
        "<TitleSet timeBase=\"60fps\" tickBase=\"24fps\">\n"
        "<Title displayName=\"Main\" titleDuration=\"00:01:00:00\">\n"
        "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\n"
        "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"../../x\"/>\n"
        "<Audio streamNumber=\"40\" mediaAttr=\"1\" description=\"far\"/>\n"
        "<Subtitle streamNumber=\"2\" mediaAttr=\"12\" description=\"/etc/y\"/>\n"
        "</PrimaryAudioVideoClip>\n<ChapterList>\n"
        "<Chapter displayName=\"../../z\" titleTimeBegin=\"00:00:00:00\"/>\n</ChapterList>\n</Title>\n"
        "</TitleSet>\n</Playlist>\n";
    writeFile(playlist, Bytes(text.begin(), text.end()));
    const Bytes movie = buildProgramStream(smallMovie(), {});
    const std::string source = root + "/HVDVD_TS/FEATURE_1.EVO";
    writeFile(source, movie);
    f.model.sourcePath = source;
    f.model.sourceChanged();
    runs::readPlaylist(f.model, f.host);
    EXPECT_TRUE(f.host.errors.empty());
    for (const char* line :
         {"[re]AudioAttributeItem index 9 ignored: items are numbered 1 to 8.[/re]",
          "[re]Audio stream with streamNumber 40 ignored: streams are numbered 1 to 16.[/re]",
          "[re]Subtitle stream 2 names mediaAttr 12, outside 1 to 8: its coding is not named.[/re]", "Done."})
        EXPECT_TRUE(f.logged(line)) << line;
    const std::string audioName = f.model.boxes.audio[0].caption;
    const std::string subName = f.model.boxes.sub[1].caption;
    for (const std::string& name : {audioName, subName}) {
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_EQ(name.find(".."), std::string::npos) << name;
    }

    // The names become file names: everything lands in the output folder.
    demux();
    EXPECT_TRUE(f.logged("Done."));
    runs::writeChapters(f.model, f.host);
    EXPECT_TRUE(f.model.lastError.empty()) << f.model.lastError;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const std::string p = entry.path().string();
        EXPECT_TRUE(p == playlist || p == source || entry.path().parent_path() == out) << p;
    }
    EXPECT_TRUE(fs::exists(output("FEATURE_1." + audioName + ".mpa")));
    EXPECT_TRUE(fs::exists(output("FEATURE_1.chapters.txt")));
    EXPECT_EQ(readFile(source), movie);
}

// Output names that lead onto inputs: a link to the playlist in the chapter file's place, a
// hard link to the VTI file in a stream's place, a link to the source. Each is refused and
// every input stays as it was.
TEST_F(BadInput, OutputsThatAreInputsThroughLinksAreRefused) {
    const std::string root = f.dir.path();
    fs::create_directories(root + "/HVDVD_TS");
    fs::create_directories(root + "/ADV_OBJ");
    const std::string playlist = root + "/ADV_OBJ/VPLST000.XPL";
    const std::string text =
        "<Playlist><TitleSet><Title><ChapterList>"
        "<Chapter displayName=\"One\" titleTimeBegin=\"00:00:00:00\"/>"
        "</ChapterList></Title></TitleSet></Playlist>";
    writeFile(playlist, Bytes(text.begin(), text.end()));
    const std::string source = root + "/HVDVD_TS/FEATURE_1.EVO";
    writeFile(source, buildProgramStream(smallMovie(), {}));
    const std::string vti = root + "/HVDVD_TS/HVA00001.VTI";
    writeFile(vti, {1, 2, 3});
    f.model.sourcePath = source;
    f.model.sourceChanged();
    f.read();

    fs::create_hard_link(vti, output("FEATURE_1.DD.stream.00.mpa"));
    fs::create_symlink(source, output("FEATURE_1.MPEG-2.stream.0.mpv"));
    demux();
    EXPECT_NE(f.model.lastError.find("would replace a source file of this run"), std::string::npos)
        << f.model.lastError;
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_EQ(readFile(vti), (Bytes{1, 2, 3}));
    EXPECT_EQ(readFile(source), buildProgramStream(smallMovie(), {}));

    runs::readPlaylist(f.model, f.host);
    ASSERT_FALSE(f.model.playlist.chapters.empty());
    fs::create_symlink(playlist, output("FEATURE_1.chapters.txt"));
    runs::writeChapters(f.model, f.host);
    EXPECT_NE(f.model.lastError.find("would replace a source file of this run"), std::string::npos);
    EXPECT_EQ(readFile(playlist), Bytes(text.begin(), text.end()));
}

// Tags nested a hundred thousand and a million levels deep: the indent stops at 32 levels, and
// a tag list that would pass 16 MiB is refused.
TEST_F(BadInput, DeeplyNestedPlaylistsStayBounded) {
    for (const size_t levels : {size_t(100000), size_t(1000000)}) {
        SCOPED_TRACE(levels);
        std::string text;
        for (size_t k = 0; k < levels; ++k) text += "<a>";
        const std::string playlist = f.dir.file("VPLST000.XPL");
        writeFile(playlist, Bytes(text.begin(), text.end()));
        f.model.playlistPath = playlist;
        f.model.playlistChanged();
        runs::readPlaylist(f.model, f.host);
        if (levels == 100000) {
            EXPECT_EQ(f.model.lastError, "");
            ASSERT_EQ(f.model.playlist.tags.size(), levels);
            EXPECT_EQ(f.model.playlist.tags.back(), std::string(64, ' ') + "<a>");
        } else {
            EXPECT_NE(f.model.lastError.find("its tag list would pass 16 MiB"), std::string::npos)
                << f.model.lastError;
        }
    }
}

// A stream that starts after the fast check's limit is not listed, and the log says so.
TEST_F(BadInput, AFastCheckThatCutsAFileSaysSo) {
    Bytes bytes = buildProgramStream({mpeg2Video(0xE0, 20, 3000, kStart)}, {});
    const Bytes padding = paddingBytes(size_t(1) << 20);
    bytes.insert(bytes.end(), padding.begin(), padding.end());
    const Bytes late = buildProgramStream({audio(EsKind::Ac3, 0x80, 5, 800, kStart, 1)}, {});
    bytes.insert(bytes.end(), late.begin(), late.end());
    f.source("FEATURE_1.EVO", bytes);
    f.model.options.fastCheckMiB = 0;
    f.read();
    EXPECT_TRUE(
        f.logged("Fast check: read 0 of 1 MiB; streams that start later are not listed. "
                 "Untick Fast EVO checking to read it all."));
    EXPECT_FALSE(f.model.boxes.audio[0].enabled);
    EXPECT_TRUE(f.model.run.fastCheckCut);
    f.model.options.fastCheck = false;
    f.read();
    EXPECT_TRUE(f.model.boxes.audio[0].enabled);
    EXPECT_FALSE(f.model.run.fastCheckCut);
}

TEST_F(BadInput, AVtiWithCountsFarBeyondItsSizeIsRefused) {
    const std::string folder = f.dir.file("HVDVD_TS");
    fs::create_directories(folder);
    f.model.sourcePath = folder + "/FEATURE_1.EVO";
    f.model.sourceChanged();
    f.model.options.readVti = true;
    VtiLayout layout;
    layout.attributes = {VtiAttribute{}};
    VtiEvob evob;
    evob.name = "FEATURE_1.EVO";
    layout.evobs = {evob};

    layout.attributeCount = 60000;
    const Bytes damaged = buildVti(layout);
    writeFile(folder + "/HVA00001.VTI", damaged);
    runs::readVti(f.model, f.host);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_NE(f.host.errors[0].find("announces 60000 VTS_EVOB_ATRs, more than the file holds"),
              std::string::npos)
        << f.host.errors[0];
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_TRUE(f.model.vti.evobs.empty());
    EXPECT_EQ(readFile(folder + "/HVA00001.VTI"), damaged);

    layout.attributeCount.reset();
    layout.evobCount = 0xFFFFFFF0u;
    writeFile(folder + "/HVA00001.VTI", buildVti(layout));
    f.host.errors.clear();
    runs::readVti(f.model, f.host);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_NE(f.host.errors[0].find("VTS_EVOBIs, more than the file holds"), std::string::npos);

    // A record's own count past its room is shown up to the room.
    layout.evobCount.reset();
    layout.attributes[0].mainAudioCount = 200;
    writeFile(folder + "/HVA00001.VTI", buildVti(layout));
    f.host.errors.clear();
    runs::readVti(f.model, f.host);
    EXPECT_TRUE(f.host.errors.empty());
    EXPECT_TRUE(f.logged(
        "VTS_EVOB_ATR 1 lists 200 main audio streams, more than the 8 it can hold; the first 8 are shown."));
    EXPECT_TRUE(f.logged("Done."));
}

// Outputs that cannot be created: the Demux run says why in red and ends with "Done.", the
// Rebuild run shows the error; the outputs of an earlier run stay as they were.
TEST_F(BadInput, AnOutputFolderThatDoesNotExistOrIsAFile) {
    const std::string source = f.source("FEATURE_1.EVO", buildProgramStream(smallMovie(), {}));
    f.read();
    demux();
    ASSERT_TRUE(f.model.lastError.empty());
    const Bytes earlier = readFile(output("FEATURE_1.DD.stream.00.mpa"));
    const std::string aFile = f.dir.file("a-file");
    writeFile(aFile, {1, 2, 3});

    struct Case {
        std::string folder, reason;
    };
    for (const Case& c : {Case{aFile + "/below", "Not a directory."}, Case{aFile, "Not a directory."}}) {
        SCOPED_TRACE(c.folder);
        f.model.options.outputDir = c.folder;
        demux();
        EXPECT_EQ(f.model.lastError,
                  "Cannot create file \"" + c.folder + "/FEATURE_1.MPEG-2.stream.0.mpv\". " + c.reason);
        EXPECT_TRUE(f.logged(redLine()));
        EXPECT_FALSE(f.logged("Done."));
        EXPECT_FALSE(f.logged("Opening file [b]FEATURE_1.EVO[/b]"));

        rebuild();
        ASSERT_EQ(f.host.errors.size(), 1u);
        EXPECT_EQ(f.host.errors[0],
                  "Cannot create file \"" + c.folder + "/FEATURE_1.rebuilt.EVO\". " + c.reason);
        EXPECT_FALSE(f.logged("Done."));
        EXPECT_TRUE(f.model.buttons.rebuild);
    }
    EXPECT_EQ(readFile(aFile), (Bytes{1, 2, 3}));
    // A folder that is missing is made, as the command line makes it.
    f.model.options.outputDir = f.dir.file("no/such/folder");
    demux();
    EXPECT_EQ(f.model.lastError, "");
    EXPECT_TRUE(std::filesystem::exists(f.dir.file("no/such/folder/FEATURE_1.DD.stream.00.mpa")));
    EXPECT_EQ(readFile(output("FEATURE_1.DD.stream.00.mpa")), earlier);

    // An output name taken by a folder: the run fails before it touches any output.
    f.model.options.outputDir = out;
    const Bytes video = readFile(output("FEATURE_1.MPEG-2.stream.0.mpv"));
    fs::remove(output("FEATURE_1.Subpicture.00.sup"));
    fs::create_directories(output("FEATURE_1.Subpicture.00.sup"));
    demux();
    EXPECT_EQ(f.model.lastError,
              "Cannot create file \"" + output("FEATURE_1.Subpicture.00.sup") + "\". Is a directory.");
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_EQ(readFile(output("FEATURE_1.MPEG-2.stream.0.mpv")), video);
    EXPECT_EQ(readFile(output("FEATURE_1.DD.stream.00.mpa")), earlier);

    const CommandResult r =
        runCommand(std::string(QUARNEL_CLI) + " demux -o " + aFile + " " + source, f.dir.file("stderr.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot create folder"), std::string::npos) << r.err;
}

TEST_F(BadInput, AReadOnlyOutputFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, for whom a read-only folder is writable";
    f.source("FEATURE_1.EVO", buildProgramStream(smallMovie(), {}));
    f.read();
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
    demux();
    EXPECT_EQ(f.model.lastError,
              "Cannot create file \"" + output("FEATURE_1.MPEG-2.stream.0.mpv") + "\". Permission denied.");
    EXPECT_FALSE(f.logged("Done."));
    fs::permissions(out, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(out));
}

// A full disk: the output folder is a small tmpfs. A run that cannot write all its outputs
// leaves none of them under a final name, and the outputs of an earlier run as they were.
TEST_F(BadInput, AFullDiskLeavesEarlierOutputsAsTheyWere) {
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 200, 6000, kStart),
                                           audio(EsKind::Ac3, 0x80, 50, 300, kStart, 1)};
    const std::string source = f.source("FEATURE_1.EVO", buildProgramStream(streams, {}));
    const Bytes sourceBytes = readFile(source);
    const std::string small = f.dir.file("small");
    fs::create_directories(small);
    if (std::system(("mount -t tmpfs -o size=256k tmpfs '" + small + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (the tests need root for it): the full disk is "
                        "not tried";
    struct Unmount {
        std::string folder;
        ~Unmount() { (void)std::system(("umount '" + folder + "'").c_str()); }
    } unmount{small};
    f.model.options.outputDir = small;
    f.read();
    f.model.boxes.video[0].ticked = false;  // the audio alone fits
    demux();
    ASSERT_EQ(f.model.lastError, "");
    const std::string audioOut = small + "/FEATURE_1.DD.stream.00.mpa";
    const Bytes earlier = readFile(audioOut);
    ASSERT_EQ(earlier, elementaryBytes(streams[1]));

    f.model.boxes.video[0].ticked = true;  // with the video it does not
    demux();
    EXPECT_EQ(f.model.lastError.rfind("Cannot write file", 0), 0u) << f.model.lastError;
    EXPECT_NE(f.model.lastError.find("No space left on device."), std::string::npos);
    EXPECT_TRUE(f.logged(redLine()));
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_EQ(readFile(audioOut), earlier);
    EXPECT_FALSE(fs::exists(small + "/FEATURE_1.MPEG-2.stream.0.mpv"));
    EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator()),
              1);  // no temporary left
    EXPECT_FALSE(f.model.run.busy);
    EXPECT_TRUE(f.model.buttons.demux);

    rebuild();
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(f.host.errors[0].rfind("Cannot write file", 0), 0u) << f.host.errors[0];
    EXPECT_FALSE(fs::exists(small + "/FEATURE_1.rebuilt.EVO"));
    EXPECT_EQ(readFile(source), sourceBytes);

    const CommandResult r =
        runCommand(std::string(QUARNEL_CLI) + " demux -o " + small + " " + source, f.dir.file("stderr.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No space left on device."), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Done."), r.out.rfind("Done."));  // the Read's alone
    EXPECT_EQ(readFile(audioOut), earlier);

    // A pair: where a new index fits but not its .sub, the earlier pair stays whole.
    const std::string cli = QUARNEL_CLI;
    const std::string subs = f.dir.file("subs"), other = f.dir.file("other");
    const std::string sample = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/FEATURE_1.EVO";
    ASSERT_EQ(runCommand(cli + " demux -q -o " + subs + " " + sample, f.dir.file("stderr.txt")).status, 0);
    ASSERT_EQ(runCommand(cli + " subs -q --to vobsub -o " + small + " " + subs +
                             "/FEATURE_1_MERGED.Subpicture.00.sup",
                         f.dir.file("stderr.txt"))
                  .status,
              0);
    const std::string idx = small + "/FEATURE_1_MERGED.Subpicture.00.idx",
                      sub = small + "/FEATURE_1_MERGED.Subpicture.00.sub";
    const Bytes oldIdx = readFile(idx), oldSub = readFile(sub);
    fs::create_directories(other);  // the larger stream under the same name
    fs::copy_file(subs + "/FEATURE_1_MERGED.Subpicture.01.sup",
                  other + "/FEATURE_1_MERGED.Subpicture.00.sup");
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(small.c_str(), &disk), 0);
    writeFile(small + "/filler", Bytes(size_t(disk.f_bavail * disk.f_frsize) - 8192, 0));
    const CommandResult pair = runCommand(
        cli + " subs -q --to vobsub -o " + small + " " + other + "/FEATURE_1_MERGED.Subpicture.00.sup",
        f.dir.file("stderr.txt"));
    EXPECT_EQ(pair.status, 1);
    EXPECT_NE(pair.err.find("No space left on device."), std::string::npos) << pair.err;
    EXPECT_EQ(readFile(idx), oldIdx);
    EXPECT_EQ(readFile(sub), oldSub);
}

TEST_F(BadInput, ASourceRemovedBetweenReadAndDemux) {
    const std::string source = f.source("FEATURE_1.EVO", buildProgramStream(smallMovie(), {}));
    f.read();
    ASSERT_TRUE(f.model.buttons.demux);
    fs::remove(source);
    demux();
    EXPECT_EQ(f.model.lastError, "Cannot open file \"" + source + "\". No such file or directory.");
    EXPECT_TRUE(f.logged(redLine()));
    EXPECT_FALSE(f.logged("Done."));
    // The outputs were being written to temporary files: nothing is left.
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_TRUE(f.model.buttons.demux);

    rebuild();
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(f.host.errors[0], "Cannot open file \"" + source + "\". No such file or directory.");
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(fs::exists(source));
}

// A Cancel at the first 4 MiB of each run that keeps what was written: the run ends without
// "Done.", the .partial outputs hold the beginning of what a whole run gives, no final name
// holds a truncated file, and the source is as it was.
TEST_F(BadInput, ACancelInTheMiddleOfEachRunKeepsWhatWasWrittenAsPartialFiles) {
    f.model.options.fastCheck = false;
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 1000, 6000, kStart),
                                           audio(EsKind::Ac3, 0x80, 1000, 300, kStart, 1)};
    const Bytes bytes = buildProgramStream(streams, {});
    ASSERT_GT(bytes.size(), 5u << 20);
    const std::string source = f.source("FEATURE_1.EVO", bytes);
    f.read();
    runs::rebuild(f.model, f.host);
    const Bytes wholeRebuild = readFile(output("FEATURE_1.rebuilt.EVO"));
    f.host.onPump = [&] { runs::cancel(f.model, f.host); };

    f.host.markup.clear();
    f.model.options.autoProcess = AutoProcess::Demux;  // a cancelled Read ends there
    f.read();
    f.model.options.autoProcess = AutoProcess::None;
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_FALSE(f.logged("Demuxing FEATURE_1.EVO"));
    EXPECT_EQ(f.model.run.countedFrames[0], 0);
    EXPECT_TRUE(f.model.boxes.video[0].ticked);

    f.host.choice = 0;  // Stop and keep
    fs::remove(output("FEATURE_1.rebuilt.EVO"));
    demux();
    EXPECT_TRUE(f.logged("Cancelled."));
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(fs::exists(output("FEATURE_1.MPEG-2.stream.0.mpv")));
    const Bytes video = readFile(output("FEATURE_1.MPEG-2.stream.0.mpv.partial"));
    EXPECT_GT(video.size(), 2u << 20);
    EXPECT_LT(video.size(), elementaryBytes(streams[0]).size());
    EXPECT_TRUE(isPrefix(video, elementaryBytes(streams[0])));
    EXPECT_TRUE(
        isPrefix(readFile(output("FEATURE_1.DD.stream.00.mpa.partial")), elementaryBytes(streams[1])));

    rebuild();
    EXPECT_TRUE(f.logged("Cancelled."));
    EXPECT_FALSE(f.logged("Done."));
    EXPECT_FALSE(fs::exists(output("FEATURE_1.rebuilt.EVO")));
    const Bytes rebuilt = readFile(output("FEATURE_1.rebuilt.EVO.partial"));
    EXPECT_EQ(rebuilt.size() % kPackSize, 0u);
    EXPECT_LT(rebuilt.size(), wholeRebuild.size());
    EXPECT_TRUE(isPrefix(rebuilt, wholeRebuild));
    EXPECT_EQ(readFile(source), bytes);
}

}  // namespace
}  // namespace quarnel
