// SPDX-License-Identifier: GPL-3.0-or-later
// Make MKV on a split disc built from real coded streams, checked with what mkvmerge and
// ffprobe read back: every track with its name, language and flags, each track's start against
// the video, every audio frame once across the join, subtitles and chapters at their times.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "fixtures/es_units.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/run_command.h"
#include "report/text_format.h"
#include "runs_discmeta_support.h"

namespace quarnel {
namespace {

using namespace fixtures;
using Json = nlohmann::json;

constexpr FrameRate kRate{24000, 1001};
constexpr uint32_t kVideoPts = 900000;            // 10 s
constexpr uint32_t kEarlyPts = kVideoPts - 2880;  // one AC-3 frame before the video
constexpr uint32_t kLatePts = kVideoPts + 9000;   // 100 ms after it
constexpr uint64_t kFirstFileFrames = 24;         // a GOP boundary

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// English main audio, a German commentary, LPCM without a language (the langcode on its clip
// element is not where discs put one), English subtitles and French forced ones, and chapters
// at 60fps, one of them past the title's end.
const std::string kPlaylist =
    "<Playlist displayName=\"Disc\"><MediaAttributeList>\n"
    "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n"
    "<AudioAttributeItem index=\"1\" codec=\"AC-3\" channels=\"2\"/>\n"
    "<SubpictureAttributeItem index=\"1\" codec=\"8bitRLC\"/>\n"
    "</MediaAttributeList><TitleSet timeBase=\"60fps\" tickBase=\"24fps\">\n"
    "<Title displayName=\"Caf&#233; Feature\" titleDuration=\"00:00:02:00\">\n"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\n"
    "<Video track=\"1\" mediaAttr=\"1\"/>\n"
    "<Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"Main\"/>\n"
    "<Audio track=\"2\" streamNumber=\"2\" mediaAttr=\"1\" description=\"Kommentar\"/>\n"
    "<Audio track=\"3\" streamNumber=\"3\" mediaAttr=\"1\" langcode=\"ja:01\" description=\"PCM\"/>\n"
    "<Subtitle track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"English\"/>\n"
    "<Subtitle track=\"2\" streamNumber=\"2\" mediaAttr=\"1\" description=\"Forc&#233;s\"/>\n"
    "</PrimaryAudioVideoClip><TrackNavigationList>\n"
    "<AudioTrack track=\"1\" langcode=\"en:01\"/><AudioTrack track=\"2\" langcode=\"de:03\"/>\n"
    "<SubtitleTrack track=\"1\" langcode=\"en:01\"/><SubtitleTrack track=\"2\" langcode=\"fr:09\"/>\n"
    "</TrackNavigationList><ChapterList>\n"
    "<Chapter titleTimeBegin=\"00:00:00:00\" displayName=\"Start\"/>\n"
    "<Chapter titleTimeBegin=\"00:00:01:30\" displayName=\"Caf&#233; &amp; more\"/>\n"
    "<Chapter titleTimeBegin=\"00:00:05:00\" displayName=\"Too late\"/>\n"
    "</ChapterList></Title></TitleSet></Playlist>\n";

class MakeMkv : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"ffmpeg", "ffprobe", "mkvmerge"})
            if (!installed(program))
                GTEST_SKIP() << program
                             << " is not installed: install ffmpeg and mkvtoolnix (tools/setup.sh does) "
                             << "to check the MKV that Make MKV writes";
    }

    std::string run(const std::string& command) {
        const CommandResult r = runCommand(command, f.dir.file("command.err"));
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
        return r.out;
    }
    Bytes encode(const std::string& args, const std::string& name) {
        return ffmpegEncode(f.dir.path(), args, name);
    }
    // Each packet's time of stream `index`, in seconds.
    std::vector<double> packetTimes(const std::string& mkv, int index) {
        const Json j = Json::parse(run("ffprobe -v error -select_streams " + std::to_string(index) +
                                       " -show_entries packet=pts_time -of json '" + mkv + "'"));
        std::vector<double> times;
        for (const Json& p : j["packets"]) times.push_back(std::stod(p["pts_time"].get<std::string>()));
        return times;
    }

    DiscFixture f;
};

TEST_F(MakeMkv, ASplitDiscBecomesAnMkvWithEveryTrackInSyncNamedAndChaptered) {
    const std::string tone = "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2.2 -ac 2 ";
    const std::vector<Unit> video = mpeg2Pictures(
        encode("-f lavfi -i testsrc2=size=720x480:rate=24000/1001:duration=2.002 -c:v mpeg2video -g 12 -bf 0 "
               "-flags +cgop -sc_threshold 1000000000 -f mpeg2video",
               "v.m2v"),
        kVideoPts, kRate);
    const std::vector<Unit> main =
        timedAudio(ac3Frames(encode(tone + "-c:a ac3 -f ac3", "a.ac3")), kEarlyPts, 48000);
    const std::vector<Unit> comment =
        timedAudio(ac3Frames(encode(tone + "-c:a eac3 -f eac3", "b.eac3")), kLatePts, 48000);
    const std::vector<Unit> pcm =
        timedAudio(lpcmBlocks(encode(tone + "-c:a pcm_s16be -f s16be", "c.pcm"), 4, 80), kVideoPts, 48000);
    // Two events per subtitle stream, each 0.5 s long.
    const auto subtitles = [](uint32_t first) {
        std::vector<Unit> units;
        for (uint32_t k = 0; k < 2; ++k)
            units.push_back({hdSubpictureUnit(bandedPicture(200, 40), bandedPalette(), 860, 900, 45000),
                             first + k * 90000,
                             {}});
        return units;
    };

    // FEATURE_2 repeats the commentary's last frame of FEATURE_1.
    const uint32_t cut = kVideoPts + frameTicks(kFirstFileFrames, kRate);
    const auto part = [&](const std::vector<Unit>& all, int file, size_t repeat = 0) {
        const size_t at = cutIndex(all, cut);
        return file == 0 ? std::vector<Unit>(all.begin(), all.begin() + long(at))
                         : std::vector<Unit>(all.begin() + long(at - repeat), all.end());
    };
    for (int file = 0; file < 2; ++file) {
        std::vector<EsStream> streams = {
            {EsKind::Mpeg2, 0xE0, part(video, file)},
            {EsKind::Ac3, 0x80, part(main, file)},
            {EsKind::Eac3, 0xC1, part(comment, file, 1)},
            {EsKind::Lpcm, 0xA2, part(pcm, file), {0x00, 0x01, 0x80}, 2012},
            {EsKind::Subpicture, 0x20, part(subtitles(kVideoPts + 9000), file)},
            {EsKind::Subpicture, 0x21, part(subtitles(kVideoPts + 18000), file)},
        };
        for (EsStream& s : streams) s.packUnits = s.kind != EsKind::Subpicture;
        MuxOptions o;
        o.startPtm = file == 0 ? kVideoPts : cut;
        o.endPtm = file == 0 ? cut : kVideoPts + frameTicks(video.size(), kRate);
        writeFile(f.evoPath("FEATURE_" + std::to_string(file + 1) + ".EVO"), buildProgramStream(streams, o));
    }
    f.chooseEvo("FEATURE_1.EVO");
    f.choosePlaylist(kPlaylist);
    runs::readPlaylist(f.model, f.host);
    f.read();
    ASSERT_EQ(f.model.lastError, "");
    EXPECT_TRUE(f.logged("   First PTS = [re]" + hexUpper(kEarlyPts, 8) + "[/re]  ([re]-32[/re]ms)"));
    f.model.options.outputDir = f.dir.file("out");
    runs::makeMkv(f.model, f.host);
    ASSERT_EQ(f.model.lastError, "");
    EXPECT_TRUE(
        f.logged("[re]DD+.stream.01: 1 frame (32 ms) at 0:00:01.028 in FEATURE_2.EVO dropped: they repeat "
                 "time already covered.[/re]"));
    EXPECT_TRUE(f.logged(
        "[re]Chapter \"Too late\" at 00:00:05:00 lies past the title's end (00:00:02:00); left out.[/re]"));
    const std::string mkv = f.dir.file("out/FEATURE_1_MERGED.mkv");
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("out/FEATURE_1_MERGED.mkv-temp")));

    // Tracks: codec, name, language, default and forced flags.
    const Json info = Json::parse(run("mkvmerge -J '" + mkv + "'"));
    std::vector<std::string> seen;
    for (const Json& t : info["tracks"]) {
        const Json& p = t["properties"];
        seen.push_back(t["codec"].get<std::string>() + "|" + p.value("track_name", "") + "|" +
                       p["language_ietf"].get<std::string>() + "|" +
                       std::to_string(p["default_track"].get<bool>()) +
                       std::to_string(p["forced_track"].get<bool>()));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"MPEG-1/2||und|10", "AC-3|Main|en|10", "E-AC-3|Kommentar|de|00",
                                              "PCM|PCM|und|00", "HDMV PGS|English|en|00",
                                              "HDMV PGS|Forc\xC3\xA9s|fr|11"}));
    EXPECT_EQ(info["container"]["properties"]["title"], "Caf\xC3\xA9 Feature");

    // Starts against the video as in the source, every frame once, in sync after the join.
    const std::vector<double> v = packetTimes(mkv, 0), a = packetTimes(mkv, 1), b = packetTimes(mkv, 2),
                              s0 = packetTimes(mkv, 4), s1 = packetTimes(mkv, 5);
    ASSERT_FALSE(v.empty());
    const double video0 = *std::min_element(v.begin(), v.end());
    const auto sourceSeconds = [&](uint32_t pts) { return (double(pts) - kVideoPts) / 90000.0; };
    ASSERT_EQ(a.size(), main.size());
    ASSERT_EQ(b.size(), comment.size());
    EXPECT_NEAR(a.front() - video0, sourceSeconds(*main.front().pts), 0.001);
    EXPECT_NEAR(b.front() - video0, sourceSeconds(*comment.front().pts), 0.001);
    EXPECT_NEAR(b.back() - video0, sourceSeconds(*comment.back().pts), 0.001);
    EXPECT_NEAR(a.back() - video0, sourceSeconds(*main.back().pts), 0.001);
    EXPECT_EQ(s0.size(), 4u);  // a display set that shows and one that clears, per event
    EXPECT_EQ(s1.size(), 4u);
    EXPECT_NEAR(s0.front() - video0, 0.1, 0.001);

    // Chapters at title time + where the video starts, names decoded.
    const Json chapters =
        Json::parse(run("ffprobe -v error -show_chapters -of json '" + mkv + "'"))["chapters"];
    ASSERT_EQ(chapters.size(), 2u);
    const double videoStart = 2880.0 / 90000.0;
    EXPECT_NEAR(std::stod(chapters[0]["start_time"].get<std::string>()), videoStart, 0.001);
    EXPECT_NEAR(std::stod(chapters[1]["start_time"].get<std::string>()), videoStart + 90 * 1001 / 60000.0,
                0.001);
    EXPECT_EQ(chapters[1]["tags"]["title"], "Caf\xC3\xA9 & more");
}

TEST_F(MakeMkv, InputsItCannotTakeAreRefusedWithNothingLeftBehind) {
    f.source("movie.aob", Bytes(4096, 0));
    runs::makeMkv(f.model, f.host);
    EXPECT_EQ(
        f.model.lastError,
        "\"movie.aob\" is not an EVO or VOB file: an MKV is made from the video files of an HD DVD or DVD.");

    const Bytes evo = buildProgramStream(
        {{EsKind::Ac3, 0x80,
          timedAudio(ac3Frames(encode("-f lavfi -i sine=duration=0.5 -c:a ac3 -f ac3", "a.ac3")), 90000,
                     48000)}},
        MuxOptions{});
    f.source("movie.evo", evo);
    f.read();
    f.model.options.outputDir = f.dir.file("out");
    setenv("QUARNEL_MKVMERGE", "/nonexistent/mkvmerge", 1);
    runs::makeMkv(f.model, f.host);
    unsetenv("QUARNEL_MKVMERGE");
    EXPECT_EQ(f.model.lastError,
              "QUARNEL_MKVMERGE names /nonexistent/mkvmerge, which is not a program that can be run");
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("out")));
}

// A Cancel while mkvmerge runs stops it; "remove" leaves neither the partial MKV nor the scratch
// folder, "keep" leaves both, the MKV under a .partial name.
TEST_F(MakeMkv, ACancelStopsMkvmergeAndKeepsOrRemovesWhatWasWritten) {
    const Bytes evo = buildProgramStream(
        {{EsKind::Ac3, 0x80,
          timedAudio(ac3Frames(encode("-f lavfi -i sine=duration=0.5 -c:a ac3 -f ac3", "a.ac3")), 90000,
                     48000)}},
        MuxOptions{});
    f.source("movie.evo", evo);
    f.read();
    const std::string fake = f.dir.file("slow-mkvmerge");
    const std::string script = "#!/bin/sh\necho '#GUI#progress 10%'\nexec sleep 30\n";
    writeFile(fake, Bytes(script.begin(), script.end()));
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    f.model.options.outputDir = f.dir.file("out");
    f.host.onPump = [&] {
        if (f.logged("Running " + fake)) runs::cancel(f.model, f.host);
    };
    setenv("QUARNEL_MKVMERGE", fake.c_str(), 1);
    f.host.choice = 1;  // Stop and remove
    runs::makeMkv(f.model, f.host);
    EXPECT_EQ(f.model.lastError, "Cancelled.");
    EXPECT_TRUE(std::filesystem::is_empty(f.dir.file("out")));
    f.host.choice = 0;  // Stop and keep
    runs::makeMkv(f.model, f.host);
    unsetenv("QUARNEL_MKVMERGE");
    EXPECT_EQ(f.model.lastError, "Cancelled.");
    EXPECT_TRUE(std::filesystem::exists(f.dir.file("out/movie.mkv.partial")));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("out/movie.mkv")));
    EXPECT_TRUE(f.logged("Kept what was written in " + f.dir.file("out/movie.mkv-temp")));
}

}  // namespace
}  // namespace quarnel
