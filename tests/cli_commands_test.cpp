// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <tuple>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/temp_dir.h"

namespace quarnel {
namespace {

using namespace fixtures;

struct Cli : ::testing::Test {
    TempDir dir;
    CommandResult run(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("stderr.txt"));
    }
    std::string movie() {
        const std::string path = dir.file("FEATURE_1.EVO");
        writeFile(path, buildProgramStream(
                            {mpeg2Video(0xE0, 5, 2000, 90000), audio(EsKind::Ac3, 0x80, 5, 500, 90000, 1),
                             audio(EsKind::Eac3, 0xC2, 5, 400, 90000, 2)},
                            {}));
        return path;
    }
};

TEST_F(Cli, UsageErrorsExitWithTwoAndAOneLineHint) {
    for (const char* args : {"",
                             "frobnicate x",
                             "read",
                             "read a b",
                             "read --bogus x",
                             "read --fast-size abc x",
                             "demux --video-ext toolong x",
                             "read --streams",
                             "demux --streams a99 x",
                             "demux --streams v2 x",
                             "demux --streams s32 x",
                             "demux --streams foo x",
                             "demux --streams all,a00 x",
                             "demux --video-ext= x",
                             "demux --video-ext '' x",
                             "chapters x.XPL",
                             "read --full=1 x",
                             "read --color=sometimes x",
                             "read --plan x",
                             "demux --to pgs x",
                             "rebuild --lpcm-wav x",
                             "vti --adv-pck x",
                             "mkv --language a01=French x",
                             "mkv --track-name a01 x",
                             "mkv --default a01=maybe x",
                             "mkv --forced q1 x",
                             "demux --forced s01 x"}) {
        const CommandResult r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("\ntry 'quarnel-cli "), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.err.find("Usage:"), std::string::npos) << args;
    }
    EXPECT_EQ(run("--help").status, 0);
    const std::string demuxHelp = run("demux --help").out;
    EXPECT_EQ(demuxHelp.rfind("Usage: quarnel-cli demux [options] SOURCE\n", 0), 0u);
    EXPECT_NE(demuxHelp.find("--lpcm-wav"), std::string::npos);  // a command's help: its options only
    EXPECT_EQ(demuxHelp.find("--plan"), std::string::npos);
    EXPECT_NE(run("--version").out.find("quarnel-cli 0.628"), std::string::npos);
}

TEST_F(Cli, OptionValuesAfterAnEqualsSignAndFileNamesAfterTwoDashes) {
    const std::string source = movie();
    const std::string dash = dir.file("-x.EVO");
    std::filesystem::copy_file(source, dash);
    CommandResult r = run("read --fast-size=1 --no-details -- " + source);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run("read -x.EVO").status, 2);  // without "--" it is an option
    r = runCommand("cd '" + dir.path() + "' && " + std::string(QUARNEL_CLI) + " read -q -- -x.EVO",
                   dir.file("e"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");  // quiet
    r = runCommand("NO_COLOR=1 " + std::string(QUARNEL_CLI) + " read --no-details " + source, dir.file("e"));
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    r = run("read --color=always --no-details " + source);
    EXPECT_NE(r.out.find("\x1b[1m"), std::string::npos);
    EXPECT_EQ(r.out.find("38;2;"), std::string::npos);  // the 16 basic colours only
}

TEST_F(Cli, ReadPrintsTheLogPlainOrWithMarkup) {
    const std::string source = movie();
    CommandResult r = run("read " + source);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nMPEG-2 video stream 0 found!\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nDone.\n"), std::string::npos);
    EXPECT_EQ(r.out.find("[b]"), std::string::npos);
    r = run("read --markup --no-details " + source);
    EXPECT_NE(r.out.find("\n[b]Dolby Digital[/b] Plus audio stream 2 found!\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("First PTS"), std::string::npos);
}

TEST_F(Cli, ReadAndDemuxAsJson) {
    const std::string source = movie();
    CommandResult r = run("read --json " + source);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto read = nlohmann::json::parse(r.out);
    EXPECT_EQ(read["schemaVersion"], 1);
    EXPECT_EQ(read["source"], source);
    ASSERT_EQ(read["streams"].size(), 3u);
    const nlohmann::json expected{{"stream", "a02"},   {"type", "audio"}, {"codec", "E-AC-3"},
                                  {"id", 194},         {"slot", 2},       {"caption", "DD+.stream.02"},
                                  {"firstPts", 90000}, {"delayMs", 0}};
    for (const auto& [field, value] : expected.items()) EXPECT_EQ(read["streams"][2][field], value) << field;
    EXPECT_EQ(read["countedFrames"], (nlohmann::json{5, 0}));
    EXPECT_EQ(read["fastCheckCut"], false);
    EXPECT_NE(std::find(read["log"].begin(), read["log"].end(), "Done."), read["log"].end());
    EXPECT_TRUE(read["outputs"].empty());

    r = run("demux --json --streams a00 -o " + dir.file("out") + " " + source);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto demux = nlohmann::json::parse(r.out);
    ASSERT_EQ(demux["outputs"].size(), 1u);
    EXPECT_EQ(demux["outputs"][0]["path"], dir.file("out") + "/FEATURE_1.DD.stream.00.mpa");
    EXPECT_EQ(demux["outputs"][0]["bytes"],
              std::filesystem::file_size(dir.file("out/FEATURE_1.DD.stream.00.mpa")));

    // A name that is not UTF-8 still gives valid JSON.
    const std::string odd = dir.file("B\xff.EVO");
    std::filesystem::copy_file(source, odd);
    r = run("read --json '" + odd + "'");
    EXPECT_FALSE(nlohmann::json::parse(r.out, nullptr, false).is_discarded()) << r.out;
}

TEST_F(Cli, AMissingSourceExitsWithOneAndSaysWhy) {
    const CommandResult r = run("read " + dir.file("nothing.EVO"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot open file \"" + dir.file("nothing.EVO") + "\". No such file or directory."),
              std::string::npos)
        << r.err;
}

TEST_F(Cli, DemuxWritesTheSelectedStreams) {
    const std::string source = movie();
    const std::string out = dir.file("out");
    CommandResult r = run("demux --streams a02,v0 -o " + out + " " + source);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(out + "/FEATURE_1.MPEG-2.stream.0.mpv"));
    EXPECT_EQ(std::filesystem::file_size(out + "/FEATURE_1.DD+.stream.02.mpa"), 2000u);
    EXPECT_FALSE(std::filesystem::exists(out + "/FEATURE_1.DD.stream.00.mpa"));
    r = run("demux --streams a05 -o " + out + " " + source);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("stream a05 is not in the source"), std::string::npos) << r.err;
}

TEST_F(Cli, DemuxOfASourceWithoutStreamsFailsAndWritesNothing) {
    const std::string source = dir.file("empty.EVO");
    writeFile(source, Bytes(4096, 0xFF));
    const std::string out = dir.file("out");
    const CommandResult r = run("demux -o " + out + " " + source);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quarnel-cli: No streams found in empty.EVO.\n");
    EXPECT_TRUE(std::filesystem::is_empty(out));
    // With --json the error is an object too, as is a usage error's.
    for (const auto& [args, status, error] :
         {std::tuple{"read --json " + source, 1, std::string("No streams found in empty.EVO.")},
          std::tuple{"read --json " + dir.file("none.EVO"), 1,
                     "Cannot open file \"" + dir.file("none.EVO") + "\". No such file or directory."},
          std::tuple{std::string("read --json --bogus x"), 2, std::string("unknown option --bogus")}}) {
        const CommandResult j = run(args);
        EXPECT_EQ(j.status, status) << args;
        const auto report = nlohmann::json::parse(j.out, nullptr, false);
        EXPECT_EQ(report, (nlohmann::json{{"schemaVersion", 1}, {"error", error}, {"exitStatus", status}}))
            << j.out;
    }
}

// With the standard descriptors closed no output takes one of them: the files are those of a
// plain run.
TEST_F(Cli, ClosedStandardDescriptorsLeaveTheOutputsAsTheyAre) {
    const std::string source = movie();
    ASSERT_EQ(run("demux -o " + dir.file("plain") + " " + source).status, 0);
    const CommandResult closed = runCommand(
        "(" + std::string(QUARNEL_CLI) + " demux -o " + dir.file("closed") + " " + source + " <&- >&- 2>&-)",
        dir.file("e"));
    EXPECT_EQ(closed.status, 0);
    for (const auto& e : std::filesystem::directory_iterator(dir.file("plain")))
        EXPECT_EQ(readFile(dir.file("closed/" + e.path().filename().string())), readFile(e.path()))
            << e.path();
}

TEST_F(Cli, DemuxIntoAFolderThatCannotBeWrittenFails) {
    const std::string source = movie();
    const CommandResult r = run("demux -o /proc/quarnel-no " + source);
    EXPECT_EQ(r.status, 1);
}

// mkv: a plan without mkvmerge; without mkvmerge nothing else.
TEST_F(Cli, MkvPlansWithoutMkvmergeAndSaysWhatToInstall) {
    const std::string source = movie();
    const std::string out = dir.file("out");
    CommandResult r = run("mkv -q -o " + out + " " + source);
    const bool haveMkvmerge = std::system("command -v mkvmerge >/dev/null 2>&1") == 0;
    if (haveMkvmerge) {
        EXPECT_EQ(r.status, 1);  // the synthetic frames are no AC-3 mkvmerge takes
    }

    r = runCommand(
        "QUARNEL_MKVMERGE=/nonexistent " + std::string(QUARNEL_CLI) + " mkv -q -o " + out + " " + source,
        dir.file("e"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "quarnel-cli: QUARNEL_MKVMERGE names /nonexistent, which is not a program that can be run\n");
    r = runCommand("PATH=/nonexistent " + std::string(QUARNEL_CLI) + " mkv -q -o " + out + " " + source,
                   dir.file("e"));
    EXPECT_EQ(r.err, "quarnel-cli: mkvmerge not found: install MKVToolNix (package mkvtoolnix)\n");
    EXPECT_FALSE(std::filesystem::exists(out + "/FEATURE_1.mkv-temp"));

    r = runCommand("QUARNEL_MKVMERGE=/nonexistent " + std::string(QUARNEL_CLI) + " mkv -q --plan -o " + out +
                       " " + source,
                   dir.file("e"));
    EXPECT_EQ(r.status, 0) << r.err;
    const auto plan = nlohmann::json::parse(readFile(out + "/FEATURE_1.plan.json"));
    EXPECT_EQ(plan["tracks"].size(), 3u);
    EXPECT_EQ(plan["tracks"][1]["language"], "und");
    const auto options = nlohmann::json::parse(readFile(out + "/FEATURE_1.mkvmerge.json"));
    EXPECT_EQ(options[0], "--output");
    EXPECT_TRUE(std::filesystem::exists(out + "/FEATURE_1.mkv-temp"));
    EXPECT_FALSE(std::filesystem::exists(out + "/FEATURE_1.mkv"));

    // A folder of the scratch folder's name is never the run's: not even a source inside it is
    // touched; the run takes a folder of its own beside it.
    const std::string inside = out + "/FEATURE_1.mkv-temp/FEATURE_1.EVO";
    std::filesystem::copy_file(source, inside);
    r = run("mkv -q --plan -o " + out + " " + inside);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(inside), readFile(source));
    int scratchFolders = 0;
    for (const auto& e : std::filesystem::directory_iterator(out))
        scratchFolders += e.path().filename().string().starts_with("FEATURE_1.mkv-temp-");
    EXPECT_EQ(scratchFolders, 1);
}

}  // namespace
}  // namespace quarnel
