// SPDX-License-Identifier: GPL-3.0-or-later
// An HD DVD disc by title, laid out as discs are (playlist with a TrackNavigationList, a time
// map per EVO, the VTI's EVOB records): a feature of two seamless clips over two EVOs, a title
// that plays a stretch of the first EVO, a title without a TrackNavigationList and the
// first-play title; the same disc as an image with UDF 2.50 and a metadata partition, as HD DVD
// discs carry it. The playlist is checked with xmllint, the image with udfinfo where it is
// installed, the titles' MKVs with mkvmerge.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "fixtures/build_paths.h"
#include "fixtures/es_units.h"
#include "fixtures/hddvd_disc_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/temp_dir.h"
#include "fixtures/udf_image_builder.h"

namespace quarnel {
namespace {

using namespace fixtures;
using Json = nlohmann::json;

constexpr uint32_t kVideoPts = 0x00200000;
constexpr FrameRate kRate{30000, 1001};
constexpr int kFirstFrames = 120;  // FEATURE_1: 4.004 s, FEATURE_2 the 60 frames after it

// Title times in counts of 1001/60000 s: a 29.97 fps frame is two.
const std::string kPlaylist = R"(<?xml version="1.0" encoding="UTF-8"?>
<Playlist xmlns="http://www.dvdforum.org/2005/HDDVDVideo/Playlist" majorVersion="1" minorVersion="0">
  <Configuration><Aperture size="1920x1080"/></Configuration>
  <MediaAttributeList>
    <VideoAttributeItem index="1" codec="MPEG-2"/>
    <AudioAttributeItem index="1" codec="AC-3" channels="2"/>
    <SubpictureAttributeItem index="1" codec="8bitRLC"/>
  </MediaAttributeList>
  <TitleSet timeBase="60fps">
    <FirstPlayTitle titleDuration="00:00:02:00">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:02:00" dataSource="Disc">
        <Video track="1"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
    </FirstPlayTitle>
    <Title id="feature" titleNumber="1" displayName="Feature" titleDuration="00:00:06:00" onEnd="scene">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:04:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="1" description="Director's Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="Signs"/>
      </PrimaryAudioVideoClip>
      <!-- the second part of the feature, joined without a gap -->
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:04:00" titleTimeEnd="00:00:06:00" seamless="true" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="1" description="Director's Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="Signs"/>
      </PrimaryAudioVideoClip>
      <TrackNavigationList>
        <VideoTrack track="1"/>
        <AudioTrack track="1" langcode="en:01"/>
        <AudioTrack track="2" langcode="de:03"/>
        <SubtitleTrack track="1" langcode="en:09"/>
      </TrackNavigationList>
      <ChapterList>
        <Chapter titleTimeBegin="00:00:00:00" displayName="Opening"/>
        <Chapter titleTimeBegin="00:00:05:00" displayName="Across the join"/>
      </ChapterList>
    </Title>
    <Title id="scene" titleNumber="2" displayName="Scene" titleDuration="00:00:01:00">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:01:00" clipTimeBegin="00:00:02:10" dataSource="Disc">
        <Video track="1"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
    </Title>
    <Title id="plain" titleNumber="3" titleDuration="00:00:02:00">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:02:00" dataSource="Disc">
        <Video track="1"/><Audio track="2" streamNumber="2"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
    </Title>
    <Title id="another" titleNumber="4" displayName="Another scene" titleDuration="00:00:00:50">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:00:50" clipTimeBegin="00:00:00:40" dataSource="Disc">
        <Video track="1"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
    </Title>
    <Title id="stretches" titleNumber="5" displayName="Two stretches" titleDuration="00:00:01:46">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:00:56" clipTimeBegin="00:00:00:40" dataSource="Disc">
        <Video track="1"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:56" titleTimeEnd="00:00:01:46" clipTimeBegin="00:00:02:44" dataSource="Disc">
        <Video track="1"/><Audio track="1" streamNumber="1"/>
      </PrimaryAudioVideoClip>
    </Title>
  </TitleSet>
</Playlist>
)";

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

class HdDvdTitles : public ::testing::Test {
  protected:
    TempDir dir;
    std::string disc = dir.file("MOVIE");

    void SetUp() override {
        for (const char* program : {"ffmpeg", "mkvmerge", "xmllint"})
            if (!installed(program))
                GTEST_SKIP() << program
                             << " is not installed: tools/setup.sh installs ffmpeg, mkvtoolnix and "
                             << "libxml2-utils to make and check the discs";
        const std::string tone =
            "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=6.2 -ac 2 -c:a ac3 -f ac3";
        const std::vector<Unit> video = mpeg2Pictures(
            ffmpegEncode(
                dir.path(),
                "-f lavfi -i testsrc2=size=720x480:rate=30000/1001:duration=6.006 -c:v mpeg2video -g 15 "
                "-bf 0 -flags +cgop -sc_threshold 1000000000 -f mpeg2video",
                "v.m2v"),
            kVideoPts, kRate);
        const std::vector<Unit> english =
            timedAudio(ac3Frames(ffmpegEncode(dir.path(), tone, "a.ac3")), kVideoPts, 48000);
        const std::vector<Unit> comments =
            timedAudio(ac3Frames(ffmpegEncode(dir.path(),
                                              "-f lavfi -i sine=frequency=880:sample_rate=48000:duration=6.2 "
                                              "-ac 2 -c:a ac3 -f ac3",
                                              "b.ac3")),
                       kVideoPts, 48000);
        const uint32_t cut = kVideoPts + frameTicks(kFirstFrames, kRate);
        const uint32_t end = kVideoPts + frameTicks(video.size(), kRate);
        std::vector<HdDvdEvo> evos;
        for (int part = 0; part < 2; ++part) {
            const auto half = [&](const std::vector<Unit>& all) {
                const size_t at = cutIndex(all, cut);
                return part == 0 ? std::vector<Unit>(all.begin(), all.begin() + long(at))
                                 : std::vector<Unit>(all.begin() + long(at), all.end());
            };
            std::vector<EsStream> streams = {{EsKind::Mpeg2, 0xE0, half(video)},
                                             {EsKind::Ac3, 0x80, half(english)},
                                             {EsKind::Ac3, 0x81, half(comments)}};
            for (EsStream& s : streams) s.packUnits = true;
            MuxOptions o;
            o.vobuAtGops = true;  // an EVOBU every GOP, 30 counts
            o.startPtm = part == 0 ? kVideoPts : cut;
            o.endPtm = part == 0 ? cut : end;
            evos.push_back({"FEATURE_" + std::to_string(part + 1) + ".EVO", buildProgramStream(streams, o),
                            uint16_t(part + 1), *o.startPtm, *o.endPtm, 2, 1});
        }
        writeHdDvdDisc(disc, evos, kPlaylist);
    }

    CommandResult cli(const std::string& args) {
        return runCommand(std::string(QUARNEL_CLI) + " " + args, dir.file("err.txt"));
    }
    // Each stream's first packet's time and its last packet's end.
    using Spans = std::map<int, std::pair<double, double>>;
    Spans spansOf(const std::string& mkv) {
        const std::string packets =
            runCommand(
                "ffprobe -v error -show_entries packet=stream_index,pts_time,duration_time -of csv=p=0 " +
                    mkv,
                dir.file("probe.txt"))
                .out;
        Spans spans;
        std::istringstream lines(packets);
        for (std::string line; std::getline(lines, line);) {
            int stream = 0;
            double pts = 0, duration = 0;
            std::sscanf(line.c_str(), "%d,%lf,%lf", &stream, &pts, &duration);
            const auto [at, fresh] = spans.try_emplace(stream, pts, pts + duration);
            at->second = {std::min(at->second.first, pts), std::max(at->second.second, pts + duration)};
        }
        return spans;
    }
    // Every track of the MKV begins within a frame of `start` and ends within one of `start` +
    // `seconds`.
    void expectTitleWindow(const std::string& mkv, double start, double seconds, double frame) {
        const Spans spans = spansOf(mkv);
        EXPECT_FALSE(spans.empty()) << mkv;
        for (const auto& [stream, span] : spans) {
            EXPECT_NEAR(span.first, start, frame) << mkv << " stream " << stream;
            EXPECT_NEAR(span.second, start + seconds, frame) << mkv << " stream " << stream;
        }
    }
    Json mkvOf(const std::string& file) {
        return Json::parse(runCommand("mkvmerge -J '" + file + "'", dir.file("probe.txt")).out);
    }
};

// The titles as the playlist makes them: clips through the maps into the EVOs, tracks named and
// with languages by track number, the forced subtitle by its code extension; then each title's
// MKV as mkvmerge reads it.
TEST_F(HdDvdTitles, EachTitleOfThePlaylistIsListedAndMadeIntoItsMkv) {
    EXPECT_EQ(runCommand("xmllint --noout " + disc + "/ADV_OBJ/VPLST000.XPL", dir.file("xmllint.txt")).status,
              0);

    const CommandResult listed = cli("titles --json " + disc);
    ASSERT_EQ(listed.status, 0) << listed.err;
    const Json titles = Json::parse(listed.out)["titles"];
    ASSERT_EQ(titles.size(), 6u);
    EXPECT_TRUE(titles[0]["firstPlay"]);
    const Json& feature = titles[1];
    EXPECT_EQ(feature["displayName"], "Feature");
    EXPECT_TRUE(feature["main"]);
    EXPECT_NEAR(feature["durationSeconds"].get<double>(), 6.006, 0.0005);
    ASSERT_EQ(feature["parts"].size(), 2u);
    EXPECT_EQ(feature["parts"][1]["file"], "FEATURE_2.EVO");
    EXPECT_TRUE(feature["parts"][1]["seamless"]);
    ASSERT_EQ(feature["tracks"].size(), 3u);
    EXPECT_EQ(feature["tracks"][0]["language"], "en");
    EXPECT_EQ(feature["tracks"][0]["name"], "English");
    EXPECT_TRUE(feature["tracks"][0]["default"]);
    EXPECT_EQ(feature["tracks"][1]["language"], "de");
    EXPECT_TRUE(feature["tracks"][1]["commentary"]);
    EXPECT_EQ(feature["tracks"][2]["track"], "s00");
    EXPECT_TRUE(feature["tracks"][2]["forced"]);
    EXPECT_NEAR(feature["chapters"][1]["startSeconds"].get<double>(), 5.005, 0.0005);
    // The scene is a stretch in the middle of FEATURE_1, the EVOBUs that hold its second.
    const Json& scene = titles[2]["parts"][0];
    EXPECT_GT(scene["firstSector"].get<int>(), 0);
    EXPECT_LT(scene["lastSector"].get<int>(), feature["parts"][0]["lastSector"].get<int>());
    // Without a TrackNavigationList no language is guessed; the first mapped audio is the default.
    const Json& plain = titles[3]["tracks"];
    EXPECT_EQ(plain[0]["language"], "und");
    EXPECT_EQ(plain[0]["track"], "a01");
    EXPECT_TRUE(plain[0]["default"]);

    // The first-play title lists one audio stream of the two its EVO carries: only that one is
    // demuxed unless asked for.
    ASSERT_EQ(cli("demux -q --title 0 -o " + dir.file("first") + " " + disc).status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("first/MOVIE_firstplay.DD.stream.00.mpa")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("first/MOVIE_firstplay.DD.stream.01.mpa")));

    // The audio runs on past the title's end in the last EVOBU: left out, with a line; at the
    // join of the two EVOs nothing is missing.
    const CommandResult made = cli("mkv --title 1 -o " + dir.file("out") + " " + disc);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("left out: the title ends there."), std::string::npos) << made.out;
    EXPECT_EQ(made.out.find("no audio for"), std::string::npos) << made.out;
    EXPECT_EQ(made.out.find("they repeat time already covered"), std::string::npos) << made.out;
    const Json mkv = mkvOf(dir.file("out/MOVIE_title01.mkv"));
    EXPECT_EQ(mkv["container"]["properties"]["title"], "Feature");
    expectTitleWindow(dir.file("out/MOVIE_title01.mkv"), 0, 6.006, 1001.0 / 30000);
    EXPECT_EQ(mkv["chapters"][0]["num_entries"], 2);
    ASSERT_EQ(mkv["tracks"].size(), 3u);  // the subtitle stream holds no unit
    EXPECT_EQ(mkv["tracks"][1]["properties"]["track_name"], "English");
    EXPECT_EQ(mkv["tracks"][1]["properties"]["language"], "eng");
    EXPECT_EQ(mkv["tracks"][2]["properties"]["track_name"], "Director's Commentary");
    EXPECT_EQ(mkv["tracks"][2]["properties"]["language"], "ger");

    // The same disc as an image, as HD DVD discs lay it out: the same titles, and the feature's
    // MKV read from the image. udfinfo reads it as UDF 2.50, without a warning.
    const std::string image = dir.file("movie.iso");
    writeUdf250Image(disc, image, "MOVIE");
    if (installed("udfinfo")) {
        const CommandResult checked = runCommand("udfinfo " + image, dir.file("udfinfo.txt"));
        EXPECT_EQ(checked.status, 0);
        EXPECT_EQ(checked.err, "");
        EXPECT_NE(checked.out.find("udfrev=2.50"), std::string::npos) << checked.out;
    }
    const CommandResult fromImage = cli("titles --json " + image);
    ASSERT_EQ(fromImage.status, 0) << fromImage.err;
    EXPECT_EQ(Json::parse(fromImage.out)["titles"], titles);
    ASSERT_EQ(cli("mkv -q --title 1 -o " + dir.file("image") + " " + image).status, 0);
    EXPECT_EQ(mkvOf(dir.file("image/MOVIE_title01.mkv"))["tracks"].size(), 3u);

    // A time map that interleaves angles: its clips are read as their whole EVO, said in red,
    // never as a stretch that would mix the angles' bytes.
    const std::string angles = dir.file("ANGLES");
    std::filesystem::copy(disc, angles, std::filesystem::copy_options::recursive);
    Bytes map = readFile(angles + "/HVDVD_TS/FEATURE_2.MAP");
    map[20] = 0x22, map[21] = 0x02;
    writeFile(angles + "/HVDVD_TS/FEATURE_2.MAP", map);
    const CommandResult interleaved = cli("titles " + angles);
    EXPECT_NE(
        interleaved.out.find("FEATURE_2.MAP interleaves angles, whose units Quarnel cannot pick out yet; "
                             "the whole of FEATURE_2.EVO is read."),
        std::string::npos)
        << interleaved.out;

    // The scene starts 10 counts into an EVOBU and ends inside another: its video plays its
    // 1.001 s (the five pictures before its start it is predicted from a moment each), as
    // ffprobe sees it.
    const CommandResult sceneMade = cli("mkv --title 2 -o " + dir.file("out") + " " + disc);
    ASSERT_EQ(sceneMade.status, 0) << sceneMade.err;
    EXPECT_NE(sceneMade.out.find("5 pictures before the title's start kept"), std::string::npos)
        << sceneMade.out;
    EXPECT_NE(sceneMade.out.find("pictures after the title's end left out."), std::string::npos)
        << sceneMade.out;
    expectTitleWindow(dir.file("out/MOVIE_title02.mkv"), 0.005, 1.001, 1001.0 / 30000);
    // Another stretch of the same EVO, 40 counts in, for 50 counts.
    ASSERT_EQ(cli("mkv -q --title 4 -o " + dir.file("out") + " " + disc).status, 0);
    expectTitleWindow(dir.file("out/MOVIE_title04.mkv"), 0.005, 50 * 1001.0 / 60000, 1001.0 / 30000);
    // Two stretches of one EVO that join inside EVOBUs: each cut to its window and placed at its
    // title time, the video's pictures inside the windows a frame apart across the join (53 of
    // them in 106 counts), no audio missing there.
    const CommandResult joined = cli("mkv --title 5 -o " + dir.file("out") + " " + disc);
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_EQ(joined.out.find("no audio for"), std::string::npos) << joined.out;
    EXPECT_EQ(joined.out.find("are placed by its frame rate"), std::string::npos) << joined.out;
    expectTitleWindow(dir.file("out/MOVIE_title05.mkv"), 0.005, 106 * 1001.0 / 60000, 1001.0 / 30000);
    const std::string durations =
        runCommand(
            "ffprobe -v error -select_streams v:0 -show_entries packet=duration_time "
            "-of csv=p=0 " +
                dir.file("out/MOVIE_title05.mkv"),
            dir.file("probe.txt"))
            .out;
    size_t whole = 0;
    std::istringstream lines(durations);
    for (std::string line; std::getline(lines, line);) whole += std::stod(line) > 0.03;
    EXPECT_NEAR(double(whole), 53, 1);
    const std::string audio = runCommand(
                                  "ffprobe -v error -select_streams a:0 -show_entries packet=duration_time "
                                  "-of csv=p=0 " +
                                      dir.file("out/MOVIE_title05.mkv"),
                                  dir.file("probe.txt"))
                                  .out;
    double played = 0;
    std::istringstream frames(audio);
    for (std::string line; std::getline(frames, line);) played += std::stod(line);
    EXPECT_NEAR(played, 106 * 1001.0 / 60000, 0.032);
}

// The shipped sample's feature: its first EVO's last EVOBU plays no time of its own but holds
// the audio of its last pictures, which the join must not lose.
TEST_F(HdDvdTitles, TheSamplesFeatureJoinsWithoutAGap) {
    const CommandResult made =
        cli("mkv --title 1 -o " + dir.file("sample") + " " + std::string(QUARNEL_SOURCE_DIR) + "/sample");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out.find("no audio for"), std::string::npos) << made.out;
    const Json mkv = mkvOf(dir.file("sample/sample_title01.mkv"));
    EXPECT_EQ(mkv["tracks"].size(), 9u);
    EXPECT_EQ(mkv["container"]["properties"]["title"], "Main Feature");
}

// The sample's Highlight plays from half a second into an EVOBU for 1.001 s, up to inside
// another: every track of its MKV (both videos, the audio, the subtitles) starts within a
// frame of the title's start (its chapter) and ends within one of its end, as ffprobe sees them.
TEST_F(HdDvdTitles, EveryTrackOfATitlePlaysFromItsStartToItsEnd) {
    const CommandResult made =
        cli("mkv --title 2 -o " + dir.file("sample") + " " + std::string(QUARNEL_SOURCE_DIR) + "/sample");
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string mkv = dir.file("sample/sample_title02.mkv");
    const Spans spans = spansOf(mkv);
    ASSERT_EQ(spans.size(), 4u);
    const double start =
        std::stod(runCommand("ffprobe -v error -show_entries chapter=start_time -of csv=p=0 " + mkv,
                             dir.file("probe.txt"))
                      .out);
    expectTitleWindow(mkv, start, 1.001, 1001.0 / 24000);
}

}  // namespace
}  // namespace quarnel
