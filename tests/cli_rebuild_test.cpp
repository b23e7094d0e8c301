// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/temp_dir.h"

namespace quarnel {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

constexpr uint32_t kStart = 0x00200000;

// The demuxed files of a folder by extension, in slot order (the number that ends the caption).
std::map<std::string, std::vector<Bytes>> demuxedBySlot(const std::string& dir) {
    std::map<std::string, std::map<int, Bytes>> bySlot;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string stem = e.path().stem().string();
        bySlot[e.path().extension().string()][std::stoi(stem.substr(stem.rfind('.') + 1))] =
            readFile(e.path().string());
    }
    std::map<std::string, std::vector<Bytes>> r;
    for (auto& [ext, files] : bySlot)
        for (auto& [slot, bytes] : files) r[ext].push_back(std::move(bytes));
    return r;
}

bool haveFfprobe() {
    return std::system("ffprobe -version >/dev/null 2>&1") == 0;
}

struct RebuildCli : ::testing::Test {
    TempDir dir;
    CommandResult run(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("stderr.txt"));
    }
    // The stream ids that ffprobe lists ("0x1e0", "0x80", ...).
    std::set<std::string> probedIds(const std::string& file) {
        const CommandResult r = runCommand(
            "ffprobe -v error -show_entries stream=id -of csv=p=0 '" + file + "'", dir.file("probe.txt"));
        std::set<std::string> ids;
        size_t at = 0;
        for (size_t nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
            if (nl > at) ids.insert(r.out.substr(at, nl - at));
        return ids;
    }
    // Rebuilds `source` keeping `streams`, then checks the result against the source: whole
    // packs, the kept streams and nothing else, the same demuxed bytes for each.
    void rebuildAndCompare(const std::string& source, const std::string& streams,
                           const std::string& rebuiltName, size_t keptCount) {
        const std::string out = dir.file("out");
        const CommandResult r = run("rebuild --streams " + streams + " -o " + out + " " + source);
        ASSERT_EQ(r.status, 0) << r.err << r.out;
        EXPECT_NE(r.out.find("\nDone.\n"), std::string::npos);
        const std::string rebuilt = out + "/" + rebuiltName;
        ASSERT_TRUE(fs::exists(rebuilt)) << r.out;
        EXPECT_EQ(fs::file_size(rebuilt) % kPackSize, 0u);
        if (haveFfprobe()) {
            EXPECT_EQ(probedIds(rebuilt).size(), keptCount);
        }

        const std::string fromSource = dir.file("demux-source"), fromRebuilt = dir.file("demux-rebuilt");
        ASSERT_EQ(run("demux --full --streams " + streams + " -o " + fromSource + " " + source).status, 0);
        ASSERT_EQ(run("demux --full -o " + fromRebuilt + " " + rebuilt).status, 0);
        const auto expected = demuxedBySlot(fromSource), actual = demuxedBySlot(fromRebuilt);
        size_t files = 0;
        for (const auto& [ext, list] : expected) files += list.size();
        EXPECT_EQ(files, keptCount);
        EXPECT_TRUE(expected == actual) << "the demuxed streams differ";
    }
};

TEST_F(RebuildCli, SplitMovieKeepingASubset) {
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 20, 3000, kStart),
                                           audio(EsKind::Ac3, 0x80, 20, 500, kStart, 1),
                                           audio(EsKind::Ac3, 0x81, 20, 500, kStart, 2),
                                           audio(EsKind::Dts, 0x8A, 20, 700, kStart, 3),
                                           audio(EsKind::Eac3, 0xC5, 20, 400, kStart, 4),
                                           subpicture(0x20, 1, 600, kStart + 900, 5),
                                           subpicture(0x21, 1, 600, kStart + 900, 6)};
    fs::create_directories(dir.file("HVDVD_TS"));
    const std::string source = dir.file("HVDVD_TS/FEATURE_1.EVO");
    writeFile(source, buildProgramStream(streams, {}));
    writeFile(dir.file("HVDVD_TS/FEATURE_2.EVO"), buildProgramStream(streams, {}));
    if (haveFfprobe()) {
        EXPECT_EQ(probedIds(source),
                  (std::set<std::string>{"0x1e0", "0x80", "0x81", "0x8a", "0xc5", "0x20", "0x21"}));
    }

    rebuildAndCompare(source, "v0,a01,a02,s01", "FEATURE_1_MERGED.rebuilt.EVO", 4);
    if (haveFfprobe()) {
        EXPECT_EQ(probedIds(dir.file("out/FEATURE_1_MERGED.rebuilt.EVO")),
                  (std::set<std::string>{"0x1e0", "0x80", "0x89", "0x20"}));
    }
}

TEST_F(RebuildCli, ShippedSampleKeepingASubset) {
    const std::string sample = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/FEATURE_1.EVO";
    if (!fs::exists(sample)) GTEST_SKIP() << "no shipped sample yet";
    // Every video stream, the audio streams after the first and the first subpicture.
    const CommandResult read = run("read --json --full " + sample);
    ASSERT_EQ(read.status, 0) << read.err;
    std::vector<std::string> found;
    const auto report = nlohmann::json::parse(read.out);
    for (const auto& stream : report["streams"]) found.push_back(stream["stream"]);
    std::string keep;
    bool audioSeen = false, subSeen = false;
    size_t kept = 0;
    for (const std::string& s : found) {
        const bool take = s[0] == 'v' || (s[0] == 'a' && audioSeen) || (s[0] == 's' && !subSeen);
        audioSeen = audioSeen || s[0] == 'a';
        subSeen = subSeen || s[0] == 's';
        if (!take) continue;
        keep += (keep.empty() ? "" : ",") + s;
        ++kept;
    }
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, found.size()) << "the sample should have streams to drop";
    rebuildAndCompare(sample, keep, "FEATURE_1_MERGED.rebuilt.EVO", kept);
}

TEST_F(RebuildCli, RefusalsAndFailuresExitWithOneAndTheirReason) {
    const std::string vob = dir.file("VTS_01_1.VOB");
    MuxOptions o;
    o.layout = Layout::Vob;
    writeFile(vob, buildProgramStream({mpeg2Video(0xE0, 5, 2000, kStart)}, o));
    const CommandResult r = run("rebuild -o " + dir.file("out") + " " + vob);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Only EVO files can be rebuilt."), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("out/VTS_01_1.rebuilt.EVO")));

    // A file-size limit that falls inside a pack: the write fails and no output is left.
    const std::string evo = dir.file("MOVIE.EVO");
    writeFile(evo, buildProgramStream({mpeg2Video(0xE0, 30, 6000, kStart)}, {}));
    const CommandResult full =
        runCommand("sh -c \"trap '' XFSZ; ulimit -f 101; exec " + std::string(QUARNEL_CLI) + " rebuild -o " +
                       dir.file("out") + " " + evo + "\"",
                   dir.file("stderr.txt"));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("Cannot write file"), std::string::npos) << full.err;
    EXPECT_TRUE(fs::is_empty(dir.file("out")));

    const CommandResult help = run("--help");
    for (const char* text : {"  rebuild  SOURCE", "--adv-pck", "--adjust-pts"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace quarnel
