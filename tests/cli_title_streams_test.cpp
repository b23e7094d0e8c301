// SPDX-License-Identifier: GPL-3.0-or-later
// The streams of a title are those of every file it is made of: a stream whose packets lie in
// one file only is listed, demuxed and muxed like any other.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "fixtures/build_paths.h"
#include "fixtures/es_units.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"

namespace quarnel {
namespace {

using namespace fixtures;

constexpr uint32_t kStart = 90000;
constexpr FrameRate kRate{30000, 1001};

// A DVD title set cut in two files at a closed GOP: subtitles (two subpicture units) in the
// first only; the second has an LPCM stream in the audio slot of the AC-3 of both.
TEST(TitleStreams, AStreamOfTheFirstFileOnlyIsListedDemuxedAndMuxed) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("VIDEO_TS"));
    const auto encode = [&](const std::string& args, const std::string& name) {
        return ffmpegEncode(dir.path(), args, name);
    };
    const std::string tone = "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2.1 -ac 2 ";
    const std::vector<Unit> video = mpeg2Pictures(
        encode("-f lavfi -i testsrc2=size=720x480:rate=30000/1001:duration=2.002 -c:v mpeg2video -g 30 -bf 0 "
               "-flags +cgop -sc_threshold 1000000000 -f mpeg2video",
               "v.m2v"),
        kStart, kRate);
    const std::vector<Unit> ac3 =
        timedAudio(ac3Frames(encode(tone + "-c:a ac3 -f ac3", "a.ac3")), kStart, 48000);
    const std::vector<Unit> pcm =
        timedAudio(lpcmBlocks(encode(tone + "-c:a pcm_s16be -f s16be", "c.pcm"), 4, 80), kStart, 48000);
    const uint32_t cut = kStart + frameTicks(30, kRate);
    const auto first = [&](const std::vector<Unit>& u) {
        return std::vector<Unit>(u.begin(), u.begin() + long(cutIndex(u, cut)));
    };
    const auto second = [&](const std::vector<Unit>& u) {
        return std::vector<Unit>(u.begin() + long(cutIndex(u, cut)), u.end());
    };
    EsStream sub{EsKind::Subpicture, 0x21, {}};
    for (const uint32_t at : {kStart + 9000, kStart + 45000})
        sub.units.push_back({dvdSubpictureUnit(textBitmap("FORCED", 2), 200, 400, 27000), at, {}});
    MuxOptions vob;
    vob.layout = Layout::Vob;
    writeFile(
        dir.file("VIDEO_TS/VTS_01_1.VOB"),
        buildProgramStream({{EsKind::Mpeg2, 0xE0, first(video)}, {EsKind::Ac3, 0x80, first(ac3)}, sub}, vob));
    vob.vobId = 2;
    writeFile(dir.file("VIDEO_TS/VTS_01_2.VOB"),
              buildProgramStream({{EsKind::Mpeg2, 0xE0, second(video)},
                                  {EsKind::Ac3, 0x80, second(ac3)},
                                  {EsKind::Lpcm, 0xA0, second(pcm), {0x00, 0x01, 0x80}, 2012}},
                                 vob));
    const std::string source = dir.file("VIDEO_TS/VTS_01_1.VOB");
    const auto cli = [&](const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args + " " + source, dir.file("stderr.txt"));
    };

    const CommandResult read = cli("read --full --json");
    ASSERT_EQ(read.status, 0) << read.err;
    std::vector<std::string> listed;
    const nlohmann::json report = nlohmann::json::parse(read.out);
    for (const auto& s : report["streams"]) listed.push_back(s["stream"]);
    EXPECT_EQ(listed, (std::vector<std::string>{"v0", "a00", "s01"}));

    const CommandResult demux = cli("demux --streams a00,s01 -o " + dir.file("out"));
    ASSERT_EQ(demux.status, 0) << demux.err;
    EXPECT_NE(demux.out.find("Audio slot 0 holds 80: A0 of VTS_01_2.VOB is left out."), std::string::npos)
        << demux.out;
    Bytes sup, ac3Out;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("out"))) {
        if (e.path().extension() == ".sup") sup = readFile(e.path());
        if (e.path().extension() == ".mpa") ac3Out = readFile(e.path());
    }
    Bytes expected;
    for (const Unit& u : sub.units) {
        const Bytes record = supRecord(*u.pts - kStart, u.bytes);
        expected.insert(expected.end(), record.begin(), record.end());
    }
    EXPECT_EQ(sup, expected);
    Bytes ac3Bytes;  // both files' AC-3, no LPCM sample
    for (const Unit& u : ac3) ac3Bytes.insert(ac3Bytes.end(), u.bytes.begin(), u.bytes.end());
    EXPECT_EQ(ac3Out, ac3Bytes);

    const CommandResult mkv = cli("mkv -o " + dir.file("mkv"));
    ASSERT_EQ(mkv.status, 0) << mkv.err;
    std::string mkvFile;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("mkv")))
        if (e.path().extension() == ".mkv") mkvFile = e.path();
    const CommandResult probe = runCommand("mkvmerge -J '" + mkvFile + "'", dir.file("stderr.txt"));
    std::vector<std::string> types;
    const nlohmann::json tracks = nlohmann::json::parse(probe.out)["tracks"];
    for (const auto& t : tracks) types.push_back(t["type"]);
    EXPECT_EQ(types, (std::vector<std::string>{"video", "audio", "subtitles"}));
}

}  // namespace
}  // namespace quarnel
