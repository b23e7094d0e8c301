// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitles from the command line: a Demux of the sample writing its subpicture stream as PGS,
// VobSub and BDN XML + PNG, the subs command converting a .sup, the formats it refuses, and the
// colours of 2-bit subpictures taken from a DVD title set's IFO.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/temp_dir.h"
#include "formats/disc/dvd_ifo.h"
#include "formats/ocr/ocr_engine.h"
#include "io/files.h"

namespace quarnel {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

struct SubsCli : ::testing::Test {
    TempDir dir;
    CommandResult run(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("stderr.txt"));
    }
    const std::string sample = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/FEATURE_1.EVO";
    static bool mkvmergeInstalled() { return std::system("mkvmerge --version >/dev/null 2>&1") == 0; }
};

TEST_F(SubsCli, ADemuxWritesTheChosenFormatsAndTheSubsCommandConvertsASup) {
    const std::string out = dir.file("out");
    CommandResult r = run("demux --subs pgs,vobsub,bdn --streams s00 -o " + out + " " + sample);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Converted FEATURE_1_MERGED.Subpicture.00: 4 subtitles (pgs,vobsub,bdn, 1920x1080)"),
              std::string::npos)
        << r.out;
    const std::string base = out + "/FEATURE_1_MERGED.Subpicture.00";
    EXPECT_FALSE(fs::exists(base + ".sup"));  // not chosen
    for (const std::string name :
         {".pgs.sup", ".idx", ".sub", ".bdn/0004.png", ".bdn/FEATURE_1_MERGED.Subpicture.00.xml"})
        EXPECT_TRUE(fs::exists(base + name)) << name;
    for (const auto& e : fs::directory_iterator(out))
        EXPECT_EQ(e.path().filename().string().find(".partial"), std::string::npos) << e.path();
    if (mkvmergeInstalled()) {
        EXPECT_NE(runCommand("mkvmerge -J " + base + ".pgs.sup", dir.file("e")).out.find("HDMV PGS"),
                  std::string::npos);
        EXPECT_NE(runCommand("mkvmerge -J " + base + ".idx", dir.file("e")).out.find("VobSub"),
                  std::string::npos);
    } else {
        std::printf("mkvmerge is not installed: the outputs are not checked with it\n");
    }

    // A second run puts a whole new folder in place of the first one's (a picture of a longer
    // stream's earlier run included); a folder that holds a file of the user's is refused, whole.
    writeFile(base + ".bdn/notes.txt", {1});
    r = run("demux --subs bdn --streams s00 -o " + out + " " + sample);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("It holds \"notes.txt\", which this output does not write."), std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(base + ".bdn/notes.txt"), Bytes{1});
    fs::remove(base + ".bdn/notes.txt");
    writeFile(base + ".bdn/0099.png", {1});
    r = run("demux --subs bdn --streams s00 -o " + out + " " + sample);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(base + ".bdn/0099.png"));
    EXPECT_TRUE(fs::exists(base + ".bdn/0001.png"));
    for (const auto& e : fs::directory_iterator(out))
        EXPECT_EQ(e.path().filename().string().find(".partial"), std::string::npos) << e.path();

    r = run("demux --streams s00 -o " + out + " " + sample);  // sup alone, as always
    ASSERT_EQ(r.status, 0) << r.err;
    r = run("subs --to pgs --canvas 720x576 --fps 25 -o " + dir.file("conv") + " " + base + ".sup");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("4 subtitles (pgs, 720x576)"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(dir.file("conv/FEATURE_1_MERGED.Subpicture.00.pgs.sup")));

    for (const char* args : {"demux --subs gif x.EVO", "subs x.sup", "subs --to pgs --canvas big x.sup",
                             "subs --to pgs --fps 30 x.sup", "subs --to srt --ocr-lang ../eng x.sup"}) {
        r = run(args);
        EXPECT_EQ(r.status, 2) << args;
    }
    // Without character recognition srt is refused as unavailable, never written empty.
    if (!ocrAvailable()) {
        r = run("demux --subs srt x.EVO");
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("character recognition"), std::string::npos);
    }
    EXPECT_EQ(run("subs --to pgs " + dir.file("missing.sup")).status, 1);
}

// The sample's subtitle read as text by a Demux: its cues in BASE.CAPTION.srt, listed among the
// outputs of the JSON report with the numbers of its forced and empty cues.
// No run writes over one of its inputs or one output over another: what the arguments show is
// a usage error, an input named like another's output is refused before anything is written.
TEST_F(SubsCli, OutputsThatWouldFallOnInputsOrOnEachOtherAreRefused) {
    fs::create_directories(dir.file("a"));
    fs::create_directories(dir.file("b"));
    fs::create_directories(dir.file("o"));
    for (const char* name : {"a/s00.sup", "b/s00.sup", "a.sup", "o/a.pgs.sup"})
        writeFile(dir.file(name), {1, 2, 3});
    CommandResult r =
        run("subs --to pgs -o " + dir.file("o") + " " + dir.file("a/s00.sup") + " " + dir.file("b/s00.sup"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would write the same outputs (s00.*)"), std::string::npos) << r.err;
    r = run("subs --to pgs -o " + dir.file("o") + " " + dir.file("a.sup") + " " + dir.file("o/a.pgs.sup"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it would replace a source file of this run"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir.file("o/a.pgs.sup")), (Bytes{1, 2, 3}));
    EXPECT_FALSE(fs::exists(dir.file("o/a.pgs.pgs.sup")));
    EXPECT_EQ(run("demux --sub-ext srt --subs sup,srt " + sample).status, 2);
    EXPECT_EQ(run("demux --sub-ext idx --subs sup,vobsub " + sample).status, 2);
    EXPECT_EQ(run("demux --sub-ext bdn --subs sup,bdn " + sample).status, 2);  // BASE.bdn is the BDN folder
}

TEST_F(SubsCli, ADemuxWritesTheTextOfASubtitleStreamAsSrt) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    const std::string out = dir.file("out");
    const CommandResult r = run("demux --subs srt --streams s00 --json -o " + out + " " + sample);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out);
    const std::string srt = out + "/FEATURE_1_MERGED.Subpicture.00.srt";
    EXPECT_NE(report["outputs"].dump().find(srt), std::string::npos) << report["outputs"];
    ASSERT_EQ(report["subtitleTexts"].size(), 1u);
    EXPECT_EQ(report["subtitleTexts"][0]["cues"], 4);
    EXPECT_EQ(report["subtitleTexts"][0]["emptyCues"].size(), 0u);
    EXPECT_NE(report["log"].dump().find("OCR, language eng"),
              std::string::npos);  // no langcode in the playlist
    const Bytes text = readFile(srt);
    EXPECT_EQ(std::string(text.begin(), text.begin() + 32), "1\n00:00:00,200 --> 00:00:00,996\n");
    EXPECT_FALSE(fs::exists(out + "/FEATURE_1_MERGED.Subpicture.00.sup"));
}

TEST(DvdIfo, ThePaletteOfTheFirstProgramChain) {
    TempDir dir;
    Bytes ifo(3 * 2048, 0);
    const std::string id = "DVDVIDEO-VTS";
    std::copy(id.begin(), id.end(), ifo.begin());
    ifo[0xCF] = 1;          // the program chain table in sector 1
    ifo[2048 + 15] = 0x10;  // its first chain 16 bytes in
    const size_t palette = 2048 + 0x10 + 0xA4;
    ifo[palette + 1] = 235, ifo[palette + 2] = 128, ifo[palette + 3] = 128;    // colour 0: white
    ifo[palette + 61] = 16, ifo[palette + 62] = 128, ifo[palette + 63] = 128;  // colour 15: black
    writeFile(dir.file("VTS_01_0.IFO"), ifo);
    const DvdPalette colours = readIfoPalette(dir.file("VTS_01_0.IFO"));
    EXPECT_EQ(colours[0], (Rgb{255, 255, 255}));
    EXPECT_EQ(colours[15], (Rgb{0, 0, 0}));
    EXPECT_EQ(ifoBeside(dir.file("VTS_01_3.VOB")), dir.file("VTS_01_0.IFO"));
    EXPECT_EQ(ifoBeside(dir.file("FEATURE_1.EVO")), "");

    ifo.resize(2048 + 0x40);  // the chain's colours lie past the end
    writeFile(dir.file("VTS_02_0.IFO"), ifo);
    try {
        (void)readIfoPalette(dir.file("VTS_02_0.IFO"));
        ADD_FAILURE() << "no error for a cut IFO";
    } catch (const QuarnelError& e) {
        EXPECT_STREQ(e.what(), "its first program chain lies outside it");
    }
}

}  // namespace
}  // namespace quarnel
