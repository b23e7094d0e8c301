// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/temp_dir.h"
#include "fixtures/vti_builder.h"

namespace quarnel {
namespace {

using namespace fixtures;

const std::string kSample = std::string(QUARNEL_SOURCE_DIR) + "/sample";
const std::string kPlaylist = kSample + "/ADV_OBJ/VPLST000.XPL";
const std::string kFeature1 = kSample + "/HVDVD_TS/FEATURE_1.EVO";

struct DiscCli : ::testing::Test {
    TempDir dir;
    CommandResult run(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("stderr.txt"));
    }
    static bool has(const std::string& out, const std::string& line) {
        return out.find("\n" + line + "\n") != std::string::npos;
    }
};

TEST_F(DiscCli, XplPrintsTheLogTheTagListAndTheTreeOfTheSourcesTitle) {
    const CommandResult r = run("xpl --source " + kFeature1 + " " + kPlaylist);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"MPEG-2.s0 found!", "DD+.6ch.s04.Commentary found!", "2bitRLC.s00.English found!",
          "8bitRLC.s01.English HD found!", "Done.", "Tag list:",
          "    <Title id=\"MainTitle\" displayName=\"Main Feature\" titleNumber=\"1\" "
          "titleDuration=\"00:00:04:00\" onEnd=\"HighlightTitle\">",
          "Tree:", "Info", "  Name: Main Feature", "  TimeBase: 60fps", "Audio", "  LPCM.2ch.s02.German",
          "Chapter", "  00:00:01:30: The Bridge"})
        EXPECT_TRUE(has(r.out, line)) << line << "\n" << r.out;
    // The first-play title that plays the same EVO and the other title are trimmed away.
    EXPECT_EQ(r.out.find("FirstPlayTitle"), std::string::npos);
    EXPECT_EQ(r.out.find("Highlight\""), std::string::npos);
}

TEST_F(DiscCli, ChaptersLandBesideTheDemuxedStreamsOfTheSplitMovie) {
    const std::string out = dir.file("out");
    CommandResult r = run("chapters --source " + kFeature1 + " -o " + out + " " + kPlaylist);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string name = out + "/FEATURE_1_MERGED.chapters.txt";
    EXPECT_TRUE(has(r.out, "Chapters info writed to " + name)) << r.out;
    const Bytes b = readFile(name);
    EXPECT_EQ(
        std::string(b.begin(), b.end()),
        "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Opening\r\nCHAPTER02=00:00:01.502\r\nCHAPTER02NAME=The "
        "Bridge\r\nCHAPTER03=00:00:02.002\r\nCHAPTER03NAME=Second Reel\r\nCHAPTER04=00:00:03.253\r\n"
        "CHAPTER04NAME=End Credits\r\n");

    // The demuxed streams share the base name.
    r = run("demux --no-details -o " + out + " --streams a04 " + kFeature1);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(out + "/FEATURE_1_MERGED.DD+.stream.04.mpa"));

    // Without a source the export is a usage error; a missing playlist is an error.
    r = run("chapters -o " + out + " " + kPlaylist);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("needs --source EVO"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out + "/.chapters.txt"));
    r = run("xpl " + dir.file("VPLST000.XPL"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot open file"), std::string::npos) << r.err;
    // The EVO file in the playlist's place is a usage error, not a playlist full of binary tags.
    r = run("xpl " + kFeature1);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("give the EVO file with --source"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(DiscCli, VtiPrintsEveryEvobWithItsAttributes) {
    CommandResult r = run("vti " + kFeature1);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"1 VTS_EVOB_ATRs found.", "2 VTS_EVOBIs found.", "EVOB 1 of 2: FEATURE_1.EVO",
          "EVOB 2 of 2: FEATURE_2.EVO", "  Application type: Advanced VTS", "  Start PTM: 00015F90",
          "  Attribute record: 1", "  Main video: MPEG-2, Enhanced 60Hz, 16:9, progressive, 1920x1080",
          "    No. Coding        Frequency Quantization Channels",
          "    0   AC-3 - IO VTS 48 kHz                 2", "    2   LPCM          48 kHz    16 bit       2",
          "    4   DD/DD+        48 kHz                 6", "  Sub audio: none", "    0   2 bit RLE",
          "    1   8 bit RLE"})
        EXPECT_TRUE(has(r.out, line)) << line << "\n" << r.out;

    r = run("vti " + dir.file("FEATURE_1.EVO"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("HVA00001.VTI not found"), std::string::npos) << r.err;
    writeFile(dir.file("HVA00001.VTI"), Bytes(100, 0));
    r = run("vti " + dir.file("FEATURE_1.EVO"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no EVOB records read"), std::string::npos) << r.err;
    writeFile(dir.file("HVA00001.VTI"), Bytes{'A', 'D', 'V', 'A', 'N', 'C', 'E', 'D', '-', 'V', 'T', 'S', 0});
    r = run("vti " + dir.file("FEATURE_1.EVO"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("before the data it announces"), std::string::npos) << r.err;
    EXPECT_EQ(run("vti").status, 2);
}

// A damaged HVA00001.VTI beside the source is a warning after a Read, never the run's end; the
// vti command itself still fails on it.
TEST(VtiBesideTheSource, ADamagedOneIsAWarningAndTheDemuxGoesOn) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("HVDVD_TS"));
    const std::string source = dir.file("HVDVD_TS/FEATURE_1.EVO");
    writeFile(source, buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 200, 90000, 1)}, {}));
    VtiLayout damaged;
    damaged.attributes.resize(1);
    damaged.evobs.push_back({.name = "FEATURE_1.EVO"});
    damaged.evobCount = 0xFFFFFF;
    writeFile(dir.file("HVDVD_TS/HVA00001.VTI"), buildVti(damaged));
    const auto cli = [&](const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args + " " + source, dir.file("stderr.txt"));
    };
    const CommandResult demux = cli("demux --json -o " + dir.file("out"));
    EXPECT_EQ(demux.status, 0) << demux.err;
    const auto report = nlohmann::json::parse(demux.out, nullptr, false);
    EXPECT_NE(report.value("vtiError", "").find("more than the file holds"), std::string::npos) << demux.out;
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/FEATURE_1.DD.stream.00.mpa")));

    const CommandResult plain = cli("read --no-vti");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.find("HVA00001.VTI"), std::string::npos) << plain.out;
    EXPECT_EQ(cli("vti").status, 1);
}

}  // namespace
}  // namespace quarnel
