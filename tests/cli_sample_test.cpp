// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped sample through quarnel-cli, as a user meets it: sample/HVDVD_TS/FEATURE_1.EVO and
// FEATURE_2.EVO, a split HD DVD movie of real coded streams (tools/make_sample.sh). A Read
// reports every stream, the navigation data and the frames; a Demux writes one file per stream
// holding both files' payloads in order: the elementary streams that went into the sample, whose
// sizes and SHA-256 sums tests/data/sample_es/manifest.txt lists.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sha256.h"
#include "fixtures/temp_dir.h"

namespace quarnel {
namespace {

using namespace fixtures;

const std::string kSampleDir = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/";

// Output name (caption.extension) → part ("1", "2", "all") → size and SHA-256.
struct Expected {
    size_t size = 0;
    std::string sha256;
};
using Manifest = std::map<std::string, std::map<std::string, Expected>>;

Manifest manifest() {
    std::ifstream in(std::string(QUARNEL_SOURCE_DIR) + "/tests/data/sample_es/manifest.txt");
    Manifest m;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, part;
        Expected e;
        fields >> name >> part >> e.size >> e.sha256;
        m[name][part] = e;
    }
    return m;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

struct SampleEndToEnd : ::testing::Test {
    TempDir dir;
    const Manifest expected = manifest();

    CommandResult cli(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("stderr.txt"));
    }
    // Demultiplexes `source` into a fresh folder `name` of the temporary folder.
    std::string demux(const std::string& options, const std::string& source, const std::string& name) {
        const std::string out = dir.file(name);
        const CommandResult r = cli("demux --markup " + options + " -o " + out + " " + kSampleDir + source);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\nDemuxing " + source + "\n"), std::string::npos) << r.out;
        return out + "/";
    }
    // The output files in `out`, by name.
    static std::vector<std::string> files(const std::string& out) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(out))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Every output of `out`, named `base` + "." + caption.extension, holds the `part` bytes.
    void expectOutputs(const std::string& out, const std::string& base, const std::string& part) {
        std::vector<std::string> names;
        for (const auto& [name, parts] : expected) {
            names.push_back(base + "." + name);
            const Bytes bytes = readFile(out + base + "." + name);
            EXPECT_EQ(bytes.size(), parts.at(part).size) << base << "." << name;
            EXPECT_EQ(sha256Hex(bytes), parts.at(part).sha256) << base << "." << name;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(files(out), names);
    }
};

TEST_F(SampleEndToEnd, TheManifestListsEveryStreamOfTheSample) {
    EXPECT_EQ(expected.size(), 9u);
    for (const auto& [name, parts] : expected) {
        EXPECT_EQ(parts.size(), 3u) << name;
        if (name.ends_with(".sup")) continue;  // record times differ with the files read
        EXPECT_EQ(parts.at("1").size + parts.at("2").size, parts.at("all").size) << name;
    }
}

TEST_F(SampleEndToEnd, ReadReportsEveryStreamTheNavigationDataAndTheFrames) {
    const CommandResult r = cli("read --markup " + kSampleDir + "FEATURE_1.EVO");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> log = lines(r.out);
    const auto count = [&](const std::string& line) { return std::count(log.begin(), log.end(), line); };
    const auto at = [&](const std::string& line, size_t from = 0) {
        const auto it = std::find(log.begin() + long(from), log.end(), line);
        EXPECT_NE(it, log.end()) << "missing: " << line << "\n" << r.out;
        return size_t(it - log.begin());
    };

    for (const char* found :
         {"[b]MPEG-2[/b] video stream 0 found!", "[b]H.264 (AVC)[/b] video stream 1 found!",
          "[b]Dolby Digital[/b] audio stream 0 found!", "[b]DTS HD (DTS)[/b] audio stream 1 found!",
          "[b]LPCM[/b] audio stream 2 found!", "[b]Dolby TrueHD[/b] audio stream 3 found!",
          "[b]Dolby Digital[/b] Plus audio stream 4 found!", "[b]Subpicture[/b] stream 0 found!",
          "[b]Subpicture[/b] stream 1 found!"})
        EXPECT_EQ(count(found), 2) << found;  // once in each file

    // Each file: its VOB line, the time span of its video, then its streams.
    const size_t first = at("Opening file [b]FEATURE_1.EVO[/b]");
    const size_t vob1 =
        at("VOB number 1 contains [b]2[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.", first);
    EXPECT_EQ(log[vob1 + 1], "PTM of first video frame = [re]00015F90[/re]");
    EXPECT_EQ(log[vob1 + 2], "PTM of last video frame = 00041F64");
    EXPECT_EQ(log[vob1 + 3], "Duration = [b]0:00:02.002[/b]");
    // The copy-control pack (not encrypted, copy freely) adds no line.
    EXPECT_EQ(log[vob1 + 4], "[b]MPEG-2[/b] video stream 0 found!");
    const size_t second = at("Opening file [b]FEATURE_2.EVO[/b]", vob1);
    const size_t vob2 =
        at("VOB number 2 contains [b]2[/b] video , [b]5[/b] audio and [b]2[/b] subpicture streams.", second);
    EXPECT_EQ(log[vob2 + 1], "PTM of first video frame = [re]00041F64[/re]");
    EXPECT_EQ(log[vob2 + 2], "PTM of last video frame = 0006DF38");
    EXPECT_EQ(log[vob2 + 3], "Duration = [b]0:00:02.002[/b]");
    EXPECT_EQ(count("   First PTS = [re]00015F90[/re]"),
              7);  // every audio and video stream starts with the video
    EXPECT_EQ(count("   First PTS = [re]0001A5E0[/re]  ([re]+200[/re]ms)"), 2);  // the first subtitles

    EXPECT_EQ(r.out.find("ENCRYPTED"), std::string::npos);

    // 96 pictures in each video stream, counted and calculated from the 4.004 s of the two files.
    const size_t done = at("Done.", vob2);
    EXPECT_EQ(log[done + 1], "");
    EXPECT_EQ(log[done + 2], "96 counted frames ([b]0:00:04.004[/b]) in video stream 0.");
    EXPECT_EQ(log[done + 3], "96 calculated frames in video stream 0.");
    EXPECT_EQ(log[done + 4], "96 counted frames ([b]0:00:04.004[/b]) in video stream 1.");
    EXPECT_EQ(log[done + 5], "96 calculated frames in video stream 1.");
}

// What the analysers and the navigation packs found, as values; the playlist's names with mkv.
TEST_F(SampleEndToEnd, JsonCarriesTheStreamsValuesTheNavigationAndThePlaylist) {
    const auto read = nlohmann::json::parse(cli("read -q --json " + kSampleDir + "FEATURE_1.EVO").out);
    std::map<std::string, nlohmann::json> streams;
    for (const auto& s : read["streams"]) streams[s["stream"]] = s;
    EXPECT_EQ(streams["v0"]["width"], 1920);
    EXPECT_EQ(streams["v0"]["height"], 1080);
    EXPECT_NEAR(streams["v0"]["frameRate"].get<double>(), 24000.0 / 1001, 1e-9);
    EXPECT_EQ(streams["v0"]["profile"], "Main@High");
    EXPECT_EQ(streams["v1"]["profile"], "High@4.0");
    EXPECT_EQ(streams["a00"]["bitRate"], 192000);
    EXPECT_EQ(streams["a01"]["channels"], 2);
    EXPECT_EQ(streams["a02"]["bitDepth"], 16);
    EXPECT_EQ(streams["a03"]["sampleRate"], 48000);
    EXPECT_EQ(streams["a04"]["channels"], 6);
    EXPECT_EQ(streams["s00"]["delayMs"], 200);
    // What the Read went through of each stream is what a Demux writes of it.
    EXPECT_EQ(streams["v0"]["bytesRead"], expected.at("MPEG-2.stream.0.mpv").at("all").size);
    EXPECT_EQ(streams["a02"]["bytesRead"], expected.at("LPCM.stream.02.mpa").at("all").size);
    ASSERT_EQ(read["navigation"].size(), 2u);
    EXPECT_EQ(read["navigation"][1]["vobNumber"], 2);
    EXPECT_EQ(read["navigation"][1]["durationSeconds"], 2.002);
    EXPECT_EQ(read["navigation"][0]["copyControl"]["encrypted"], false);

    const auto mkv = nlohmann::json::parse(
        cli("mkv -q --plan --json -o " + dir.file("out") + " " + kSampleDir + "FEATURE_1.EVO").out);
    for (const auto& s : mkv["streams"]) {
        if (s["stream"] == "a01") {
            EXPECT_EQ(s["language"], "fr");
        }
    }
    EXPECT_EQ(mkv["playlist"]["title"], "Main Feature");
    EXPECT_EQ(mkv["playlist"]["chapters"][1]["seconds"], 1.5015);
    // The option file names its files absolutely: run from another folder, mkvmerge makes the MKV.
    const CommandResult planned = runCommand(
        "cd '" + dir.path() + "' && " + QUARNEL_CLI + " mkv -q --plan -o rel " + kSampleDir + "FEATURE_1.EVO",
        dir.file("stderr.txt"));
    ASSERT_EQ(planned.status, 0) << planned.err;
    if (std::system("command -v mkvmerge >/dev/null 2>&1") == 0) {
        const CommandResult muxed = runCommand(
            "cd / && mkvmerge -q @'" + dir.file("rel/FEATURE_1_MERGED.mkvmerge.json") + "'", dir.file("e"));
        EXPECT_LE(muxed.status, 1) << muxed.out << muxed.err;
        EXPECT_TRUE(std::filesystem::exists(dir.file("rel/FEATURE_1_MERGED.mkv")));
    }

    const std::string playlist = std::string(QUARNEL_SOURCE_DIR) + "/sample/ADV_OBJ/VPLST000.XPL";
    const auto chapters = nlohmann::json::parse(
        cli("chapters --json -o " + dir.file("out") + " --source " + kSampleDir + "FEATURE_1.EVO " + playlist)
            .out);
    EXPECT_EQ(chapters["outputs"][0]["path"], dir.file("out") + "/FEATURE_1_MERGED.chapters.txt");
    EXPECT_EQ(chapters["streams"][4]["name"], "Commentary");
    const auto vti = nlohmann::json::parse(cli("vti --json " + kSampleDir + "FEATURE_1.EVO").out);
    EXPECT_EQ(vti["evobs"][1]["name"], "FEATURE_2.EVO");
    EXPECT_EQ(vti["attributes"][0]["mainAudioStreams"], 5);
}

// What mkvmerge reads back of each track: name, language, default and forced.
TEST_F(SampleEndToEnd, TrackNamesLanguagesAndFlagsGivenOnTheCommandLineReachTheMkv) {
    if (std::system("command -v mkvmerge >/dev/null 2>&1") != 0) GTEST_SKIP() << "mkvmerge is not installed";
    const CommandResult r = cli("mkv --markup -o " + dir.file("out") +
                                " --track-name 'a01=Director = Narrator' --language a01=fr --default a01"
                                " --forced s00 --language s00=pt-BR --track-name a09=X " +
                                kSampleDir + "FEATURE_1.EVO");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Track a09 is not in the MKV"), std::string::npos) << r.out;
    const auto mkv = nlohmann::json::parse(
        runCommand("mkvmerge -J " + dir.file("out/FEATURE_1_MERGED.mkv"), dir.file("e")).out);
    std::map<std::string, nlohmann::json> byName;
    for (const auto& t : mkv["tracks"])
        byName[t["type"].get<std::string>() + " " + t["properties"].value("track_name", "")] =
            t["properties"];
    ASSERT_TRUE(byName.contains("audio Director = Narrator"));
    const auto& edited = byName["audio Director = Narrator"];
    EXPECT_EQ(edited["language_ietf"], "fr");
    EXPECT_TRUE(edited["default_track"]);
    EXPECT_FALSE(byName["audio English"]["default_track"]);  // a00 gives up the audio default
    // s00 keeps its name from the playlist.
    EXPECT_EQ(byName["subtitles English"]["language_ietf"], "pt-BR");
    EXPECT_TRUE(byName["subtitles English"]["forced_track"]);
}

TEST_F(SampleEndToEnd, ReadWithoutDetailsStillCountsFrames) {
    const CommandResult r = cli("read --markup --no-details " + kSampleDir + "FEATURE_1.EVO");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n[b]Dolby TrueHD[/b] audio stream 3 found!\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("First PTS"), std::string::npos);
    // No analyser ran, so no frame rate is known in this process.
    EXPECT_NE(r.out.find("\n96 frames count in video stream 0.\n96 frames count in video stream 1.\n"),
              std::string::npos)
        << r.out;
}

TEST_F(SampleEndToEnd, DemuxWritesOneFilePerStreamHoldingBothFilesInOrder) {
    const std::string out = demux("", "FEATURE_1.EVO", "merged");
    expectOutputs(out, "FEATURE_1_MERGED", "all");
}

TEST_F(SampleEndToEnd, EachFileAloneGivesItsOwnPartOfEveryStream) {
    const std::string one = demux("--no-continue", "FEATURE_1.EVO", "one");
    expectOutputs(one, "FEATURE_1", "1");
    const std::string two = demux("", "FEATURE_2.EVO", "two");
    expectOutputs(two, "FEATURE_2", "2");

    // The merged outputs are the two parts back to back.
    const std::string merged = demux("", "FEATURE_1.EVO", "merged");
    for (const auto& [name, parts] : expected) {
        if (name.ends_with(".sup")) continue;  // record times count from the files read
        Bytes both = readFile(one + "FEATURE_1." + name);
        const Bytes tail = readFile(two + "FEATURE_2." + name);
        both.insert(both.end(), tail.begin(), tail.end());
        EXPECT_TRUE(readFile(merged + "FEATURE_1_MERGED." + name) == both) << name;
    }
}

TEST_F(SampleEndToEnd, DemuxOfChosenStreamsWritesOnlyThose) {
    const std::string out = dir.file("chosen");
    const CommandResult r = cli("demux --streams v1,a03,s00 -o " + out + " " + kSampleDir + "FEATURE_1.EVO");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(files(out), (std::vector<std::string>{"FEATURE_1_MERGED.H.264.stream.1.mpv",
                                                    "FEATURE_1_MERGED.MLP.stream.03.mpa",
                                                    "FEATURE_1_MERGED.Subpicture.00.sup"}));
    EXPECT_EQ(sha256Hex(readFile(out + "/FEATURE_1_MERGED.MLP.stream.03.mpa")),
              expected.at("MLP.stream.03.mpa").at("all").sha256);
}

}  // namespace
}  // namespace quarnel
