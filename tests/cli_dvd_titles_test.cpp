// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD-Video disc by title, authored with dvdauthor and spumux (real authoring tools): a
// title of two clips whose time stamps restart, a second title in the same title set, two
// audio streams with languages (one a commentary) and a forced subpicture stream. What the
// titles are is checked against lsdvd, what each title's MKV holds with ffprobe, and the disc
// read from an .iso image and from a title set cut into two VOB files inside a VOBU.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "fixtures/build_paths.h"
#include "fixtures/run_command.h"
#include "fixtures/temp_dir.h"

namespace quarnel {
namespace {

using namespace fixtures;
using Json = nlohmann::json;
namespace fs = std::filesystem;

constexpr double kClipSeconds = 4;
constexpr int kClipFrames = 120;     // 4 s at 29.97 fps
constexpr int kClipAc3Frames = 125;  // 4 s of 1536-sample frames at 48 kHz
constexpr double kFrameSeconds = 1001.0 / 30000;

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

class DvdTitles : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program :
             {"dvdauthor", "spumux", "lsdvd", "genisoimage", "ffmpeg", "ffprobe", "mkvmerge"})
            if (!installed(program))
                GTEST_SKIP() << program << " is not installed: tools/setup.sh installs dvdauthor, lsdvd, "
                             << "genisoimage, ffmpeg and mkvtoolnix to author and check the DVDs";
        author(false);
    }

    std::string run(const std::string& command) {
        const CommandResult r = runCommand("(" + command + ")", dir.file("command.err"));
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
        return r.out;
    }
    std::string cli(const std::string& args) { return run(std::string(QUARNEL_CLI) + " " + args); }

    // Three 4-second clips (NTSC or PAL), each with its time stamps from the start, English
    // AC-3 and a German commentary; the first carries a forced subtitle at 1-2 s and a normal
    // one at 3 s. The disc is MYDISC, made again over the one before.
    void author(bool pal) {
        const std::string format = pal ? "PAL" : "NTSC";
        const std::string video =
            pal ? "testsrc2=size=720x576:rate=25" : "testsrc2=size=720x480:rate=30000/1001";
        const std::string in = "cd '" + dir.path() + "' && export VIDEO_FORMAT=" + format + " && ";
        fs::remove_all(dir.file("MYDISC"));
        for (int k = 1; k <= 3; ++k) {
            const std::string tone = "sine=frequency=" + std::to_string(300 * k) + ":sample_rate=48000";
            run(in + "ffmpeg -v error -y -f lavfi -i " + video + " -f lavfi -i " + tone +
                " -f lavfi -i sine=frequency=1000:sample_rate=48000 -t 4 -map 0 -map 1 -map 2 -target " +
                (pal ? "pal-dvd" : "ntsc-dvd") + " -b:v 1500k c" + std::to_string(k) + ".mpg");
        }
        run(in + "ffmpeg -v error -y -f lavfi -i color=c=white:s=160x32 -frames:v 1 -pix_fmt pal8 sub.png");
        std::ofstream(dir.file("forced.xml"))
            << "<subpictures><stream><spu start=\"00:00:01.00\" end=\"00:00:02.00\" image=\"sub.png\" "
               "force=\"yes\" xoffset=\"280\" yoffset=\"400\"/></stream></subpictures>\n";
        std::ofstream(dir.file("normal.xml"))
            << "<subpictures><stream><spu start=\"00:00:03.00\" end=\"00:00:03.50\" image=\"sub.png\"/>"
               "</stream></subpictures>\n";
        run(in + "spumux -s 0 forced.xml < c1.mpg > c1a.mpg && spumux -s 1 normal.xml < c1a.mpg > c1s.mpg");
        std::ofstream(dir.file("dvd.xml"))
            << "<dvdauthor dest=\"MYDISC\"><vmgm/><titleset><titles>"
               "<audio lang=\"en\"/><audio lang=\"de\" content=\"comments1\"/>"
               "<subpicture lang=\"en\" content=\"forced\"/><subpicture lang=\"de\"/>"
               "<pgc><vob file=\"c1s.mpg\" chapters=\"0,0:02\"/><vob file=\"c2.mpg\"/></pgc>"
               "<pgc><vob file=\"c3.mpg\"/></pgc></titles></titleset></dvdauthor>\n";
        run(in + "dvdauthor -x dvd.xml");
    }

    // Packets per stream of an MKV, by codec.
    std::map<std::string, int> packets(const std::string& mkv) {
        const Json j =
            Json::parse(run("ffprobe -v error -count_packets -show_entries stream=codec_name,"
                            "nb_read_packets -of json '" +
                            mkv + "'"));
        std::map<std::string, int> n;
        for (const Json& s : j["streams"])
            if (s.value("codec_name", Json()).is_string() && s.value("nb_read_packets", Json()).is_string())
                n[s["codec_name"].get<std::string>()] += std::stoi(s["nb_read_packets"].get<std::string>());
        return n;
    }

    TempDir dir;
};

// NTSC and PAL.
TEST_F(DvdTitles, TitlesAgreeWithLsdvdFromAFolderAndAnImage) {
    for (const bool pal : {false, true}) {
        SCOPED_TRACE(pal ? "PAL" : "NTSC");
        if (pal) author(true);
        const Json titles = Json::parse(cli("titles --json '" + dir.file("MYDISC") + "'"));
        const std::string lsdvd = run("lsdvd -x -Ox '" + dir.file("MYDISC") + "' 2>/dev/null");
        // lsdvd's view of each title: its length, chapters, cells and stream languages.
        const auto count = [](const std::string& text, const std::string& what) {
            size_t n = 0;
            for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
            return n;
        };
        std::vector<std::string> tracks;
        for (size_t at = lsdvd.find("<track>"); at != std::string::npos;) {
            const size_t end = lsdvd.find("</track>", at);
            tracks.push_back(lsdvd.substr(at, end - at));
            at = lsdvd.find("<track>", end);
        }
        ASSERT_EQ(titles["titles"].size(), 2u);
        ASSERT_EQ(tracks.size(), 2u);
        for (size_t k = 0; k < 2; ++k) {
            const Json& t = titles["titles"][k];
            std::smatch length;
            ASSERT_TRUE(std::regex_search(tracks[k], length, std::regex("<length>([0-9.]+)</length>")));
            EXPECT_NEAR(t["durationSeconds"].get<double>(), std::stod(length[1]), kFrameSeconds) << k;
            EXPECT_EQ(t["chapters"].size(), count(tracks[k], "<chapter>")) << k;
            EXPECT_EQ(t["parts"].size(), count(tracks[k], "<cell>")) << k;
            std::string languages, listed;
            const std::regex langcode("<langcode>(\\w+)</langcode>");
            for (std::sregex_iterator it(tracks[k].begin(), tracks[k].end(), langcode), e; it != e; ++it)
                languages += (*it)[1].str() + " ";
            for (const Json& track : t["tracks"]) listed += track["language"].get<std::string>() + " ";
            EXPECT_EQ(listed, languages) << k;
        }
        const Json& first = titles["titles"][0];
        EXPECT_TRUE(first["main"]);
        EXPECT_EQ(first["name"], "MYDISC_title01");
        EXPECT_EQ(first["chapters"].size(), 2u);
        EXPECT_EQ(first["parts"].size(), 3u) << "the chapter mark cuts the first clip into two cells";
        ASSERT_EQ(first["tracks"].size(), 4u);
        EXPECT_EQ(first["tracks"][0]["language"], "en");
        EXPECT_EQ(first["tracks"][1]["language"], "de");
        EXPECT_TRUE(first["tracks"][1]["commentary"]);
        EXPECT_EQ(first["tracks"][2]["track"], "s00");
        EXPECT_TRUE(first["tracks"][2]["forced"]);

        run("genisoimage -quiet -dvd-video -V MYDISC -o '" + dir.file("my.iso") + "' '" + dir.file("MYDISC") +
            "'");
        Json fromImage = Json::parse(cli("titles --json '" + dir.file("my.iso") + "'"));
        EXPECT_EQ(fromImage["disc"]["name"], "MYDISC");
        EXPECT_EQ(fromImage["titles"], titles["titles"]);
        fs::remove(dir.file("my.iso"));
    }
}

// Every video frame, audio frame and subtitle of a title, across the restart between its two
// clips, from the folder, from an image and from a title set cut into two files.
TEST_F(DvdTitles, EachTitleBecomesAnMkvWithEveryFrameAndCue) {
    const std::string disc = dir.file("MYDISC");
    const Json titles = Json::parse(cli("titles --json '" + disc + "'"));
    cli("mkv --title 1 -q -o '" + dir.file("out") + "' '" + disc + "'");
    std::map<std::string, int> n = packets(dir.file("out/MYDISC_title01.mkv"));
    EXPECT_EQ(n["mpeg2video"], 2 * kClipFrames);
    EXPECT_EQ(n["ac3"], 2 * 2 * kClipAc3Frames) << "both audio streams, nothing dropped or doubled";
    EXPECT_EQ(n["hdmv_pgs_subtitle"] / 2, 2) << "two cues, each a display set and its clearing";
    // The forced subtitle lands on the rows where ffmpeg draws the DVD's own subpicture.
    const auto subtitleRows = [&](const std::string& file) {
        const std::string in = "ffmpeg -v error -i '" + file + "' ";
        const std::string with =
            run(in +
                "-filter_complex '[0:v][0:s:0]overlay[v]' -map '[v]' -frames:v 75 -f rawvideo "
                "-pix_fmt gray -");
        const std::string without = run(in + "-map 0:v -frames:v 75 -f rawvideo -pix_fmt gray -");
        constexpr size_t kWidth = 720;
        std::pair<size_t, size_t> rows{SIZE_MAX, 0};
        for (size_t at = 0; at < std::min(with.size(), without.size()); ++at)
            if (std::abs(int(uint8_t(with[at])) - int(uint8_t(without[at]))) > 40) {
                const size_t row = at / kWidth % 480;
                rows = {std::min(rows.first, row), std::max(rows.second, row)};
            }
        return rows;
    };
    const auto dvdRows = subtitleRows(disc + "/VIDEO_TS/VTS_01_1.VOB");
    const auto mkvRows = subtitleRows(dir.file("out/MYDISC_title01.mkv"));
    EXPECT_EQ(dvdRows.first, 400u);
    EXPECT_NEAR(double(mkvRows.first), double(dvdRows.first), 2);
    EXPECT_NEAR(double(mkvRows.second), double(dvdRows.second), 2);

    // Each audio track runs from the title's start to its end, the restart between the clips
    // costing no time: its first and last packets lie within one frame of the source's.
    for (const char* track : {"a:0", "a:1"}) {
        const Json p = Json::parse(run(std::string("ffprobe -v error -select_streams ") + track +
                                       " -show_entries packet=pts_time -of json '" +
                                       dir.file("out/MYDISC_title01.mkv") + "'"));
        const double first = std::stod(p["packets"].front()["pts_time"].get<std::string>());
        const double last = std::stod(p["packets"].back()["pts_time"].get<std::string>());
        constexpr double kAc3Frame = 0.032;
        EXPECT_NEAR(first, 0, kAc3Frame) << track;
        EXPECT_NEAR(last, 2 * kClipAc3Frames * kAc3Frame - kAc3Frame, kAc3Frame) << track;
    }
    const Json mkv = Json::parse(run("mkvmerge -J '" + dir.file("out/MYDISC_title01.mkv") + "'"));
    EXPECT_NEAR(mkv["container"]["properties"]["duration"].get<double>() / 1e9, 2 * kClipSeconds, 0.05);
    // The IFO's languages, content types and flags name the tracks; its chapters are the cells'.
    std::vector<std::string> tracks;
    for (const Json& t : mkv["tracks"]) {
        const Json& p = t["properties"];
        tracks.push_back(p.value("language", "") + "|" + p.value("track_name", "") + "|" +
                         (p.value("default_track", false) ? "default" : "") + "|" +
                         (p.value("forced_track", false) ? "forced" : ""));
    }
    EXPECT_EQ(tracks,
              (std::vector<std::string>{"und||default|", "eng|English|default|", "ger|German (Commentary)||",
                                        "eng|English (Forced)|default|forced", "ger|German||"}));
    const Json chapters = Json::parse(run("ffprobe -v error -show_chapters -of json '" +
                                          dir.file("out/MYDISC_title01.mkv") + "'"))["chapters"];
    ASSERT_EQ(chapters.size(), 2u);
    const double cell = titles["titles"][0]["parts"][1]["startSeconds"].get<double>();
    EXPECT_NEAR(std::stod(chapters[1]["start_time"].get<std::string>()) -
                    std::stod(chapters[0]["start_time"].get<std::string>()),
                cell, kFrameSeconds);

    // The chapter file of the title: its chapters at their cells' times.
    cli("chapters --title 1 -q -o '" + dir.file("out") + "' '" + disc + "'");
    const std::string chapterFile = run("cat '" + dir.file("out/MYDISC_title01.chapters.txt") + "'");
    const size_t second = chapterFile.find("CHAPTER02=");
    ASSERT_NE(second, std::string::npos) << chapterFile;
    EXPECT_NEAR(std::stod(chapterFile.substr(second + 16, 6)), cell, 0.001) << chapterFile;

    cli("mkv --all-titles --min-length 5 -q -o '" + dir.file("all") + "' '" + disc + "'");
    EXPECT_TRUE(fs::exists(dir.file("all/MYDISC_title01.mkv")));
    EXPECT_FALSE(fs::exists(dir.file("all/MYDISC_title02.mkv"))) << "4 s, shorter than --min-length";
    cli("mkv --title 2 -q -o '" + dir.file("out") + "' '" + disc + "'");
    EXPECT_EQ(packets(dir.file("out/MYDISC_title02.mkv"))["mpeg2video"], kClipFrames);

    // The demuxed payloads are ffmpeg's stream copy of the title's cells, in program order.
    for (const Json& cell : titles["titles"][0]["parts"])
        run("dd status=none bs=2048 if='" + disc +
            "/VIDEO_TS/VTS_01_1.VOB' skip=" + std::to_string(cell["firstSector"].get<int>()) +
            " count=" + std::to_string(cell["lastSector"].get<int>() - cell["firstSector"].get<int>() + 1) +
            " >> '" + dir.file("title1.vob") + "'");
    cli("demux --title 1 -q --streams v0,a01,s01 --subs sup,vobsub,bdn -o '" + dir.file("demux") + "' '" +
        disc + "'");
    const std::string idx = run("cat '" + dir.file("demux/MYDISC_title01.Subpicture.01.idx") + "'");
    EXPECT_NE(idx.find("size: 720x480"), std::string::npos) << idx;
    EXPECT_NE(idx.find("id: de, index: 0"), std::string::npos) << idx;
    const std::string bdn = run(
        "cat '" + dir.file("demux/MYDISC_title01.Subpicture.01.bdn/MYDISC_title01.Subpicture.01.xml") + "'");
    EXPECT_NE(bdn.find("<Language Code=\"deu\"/>"), std::string::npos) << bdn;
    EXPECT_NE(bdn.find("VideoFormat=\"480i\""), std::string::npos) << bdn;
    // The .sup converted later takes the same from the IFO named; without one the log says so.
    const std::string sup = dir.file("demux/MYDISC_title01.Subpicture.01.sup");
    EXPECT_NE(cli("subs --to vobsub --ifo '" + disc + "/VIDEO_TS/VTS_01_0.IFO' -o '" + dir.file("later") +
                  "' '" + sup + "'")
                  .find("Subpicture colours from VTS_01_0.IFO"),
              std::string::npos);
    EXPECT_EQ(run("cat '" + dir.file("later/MYDISC_title01.Subpicture.01.idx") + "'"), idx);
    EXPECT_NE(
        cli("subs --to pgs -o '" + dir.file("later") + "' '" + sup + "'")
            .find("Subpicture colours: no IFO is given (--ifo FILE); 2-bit subpictures are shown in the "
                  "default palette (16 greys)"),
        std::string::npos);
    for (const auto& [output, map, format] : {std::tuple{"MPEG-2.stream.0.mpv", "0:v", "mpeg2video"},
                                              std::tuple{"DD.stream.01.mpa", "0:a:1", "ac3"}}) {
        const std::string copied = run(std::string("ffmpeg -v error -i '") + dir.file("title1.vob") +
                                       "' -map " + map + " -c copy -f " + format + " -");
        const std::string demuxed = run("cat '" + dir.file("demux/MYDISC_title01.") + output + "'");
        EXPECT_TRUE(demuxed == copied)
            << output << ": " << demuxed.size() << " bytes, ffmpeg " << copied.size();
    }

    // The set's VOB cut in two files inside a VOBU: the IFO's sectors do not change.
    const std::string vob = disc + "/VIDEO_TS/VTS_01_1.VOB";
    const uintmax_t cut = (fs::file_size(vob) / 2048 / 2 + 7) * 2048;
    run("cd '" + disc + "/VIDEO_TS' && tail -c +" + std::to_string(cut + 1) +
        " VTS_01_1.VOB > VTS_01_2.VOB && "
        "truncate -s " +
        std::to_string(cut) + " VTS_01_1.VOB");
    cli("mkv --title 1 -q -o '" + dir.file("cut") + "' '" + disc + "/VIDEO_TS'");
    EXPECT_EQ(packets(dir.file("cut/MYDISC_title01.mkv")), n);
    cli("mkv -q -o '" + dir.file("file") + "' '" + vob + "'");
    n = packets(dir.file("file/VTS_01_1_MERGED.mkv"));
    EXPECT_EQ(n["mpeg2video"], 3 * kClipFrames) << "the file behaviour: every clip of the set, once";
    EXPECT_EQ(n["ac3"], 2 * 3 * kClipAc3Frames);
}

// MPEG-1 Layer II audio (stream id 0xC0, common on PAL discs) is listed, read, demuxed as
// ffmpeg copies it and muxed with its language.
TEST_F(DvdTitles, MpegAudioIsListedDemuxedAndMuxed) {
    run("cd '" + dir.path() +
        "' && ffmpeg -v error -y -f lavfi -i testsrc2=size=720x576:rate=25 -f lavfi -i "
        "sine=sample_rate=48000 -t 4 -target pal-dvd -b:v 1500k -c:a mp2 -b:a 224k mp2.mpg && echo "
        "'<dvdauthor "
        "dest=\"MPA\"><vmgm/><titleset><titles><audio lang=\"fr\" format=\"mp2\"/><pgc><vob "
        "file=\"mp2.mpg\"/></pgc></titles></titleset></dvdauthor>' > mp2.xml && VIDEO_FORMAT=PAL dvdauthor "
        "-x "
        "mp2.xml");
    const std::string disc = dir.file("MPA");
    const Json read = Json::parse(cli("read --json '" + disc + "'"));
    ASSERT_EQ(read["streams"].size(), 2u);
    EXPECT_EQ(read["streams"][1]["codec"], "MPEG-1 Layer II");
    EXPECT_EQ(read["streams"][1]["streamId"], 0xC0);
    cli("demux -q --streams a00 -o '" + dir.file("mpa") + "' '" + disc + "'");
    EXPECT_TRUE(run("cat '" + dir.file("mpa/MPA_title01.MPA.stream.00.mpa") + "'") ==
                run("ffmpeg -v error -i '" + dir.file("mp2.mpg") + "' -map 0:a -c copy -f mp2 -"));
    cli("mkv -q -o '" + dir.file("mpa") + "' '" + disc + "'");
    const Json mkv = Json::parse(run("mkvmerge -J '" + dir.file("mpa/MPA_title01.mkv") + "'"));
    ASSERT_EQ(mkv["tracks"].size(), 2u);
    EXPECT_EQ(mkv["tracks"][1]["codec"], "MP2");
    EXPECT_EQ(mkv["tracks"][1]["properties"]["language"], "fre");
    EXPECT_EQ(packets(dir.file("mpa/MPA_title01.mkv"))["mp2"], packets(dir.file("mp2.mpg"))["mp2"])
        << "every frame of the source";
}

// A PAL disc with LPCM audio and a forced subtitle: its MKV carries the IFO's language and
// flags on every track, its chapters, and subtitles on the 720x576 picture.
TEST_F(DvdTitles, APalDiscWithLpcmKeepsItsLanguagesAndPicture) {
    run("cd '" + dir.path() +
        "' && export VIDEO_FORMAT=PAL && ffmpeg -v error -y -f lavfi -i "
        "testsrc2=size=720x576:rate=25 -f lavfi -i sine=sample_rate=48000 -t 4 -target pal-dvd -b:v 1500k "
        "-c:a "
        "pcm_s16be pcm.mpg && spumux -s 0 forced.xml < pcm.mpg > pcms.mpg && echo '<dvdauthor "
        "dest=\"PAL\"><vmgm/>"
        "<titleset><titles><audio lang=\"it\" format=\"pcm\"/><subpicture lang=\"it\" content=\"forced\"/>"
        "<pgc><vob file=\"pcms.mpg\" chapters=\"0,0:02\"/></pgc></titles></titleset></dvdauthor>' > pal.xml "
        "&& "
        "dvdauthor -x pal.xml");
    const std::string log = cli("mkv -o '" + dir.file("pal") + "' '" + dir.file("PAL") + "'");
    EXPECT_NE(log.find("Converted PAL_title01.Subpicture.00: 1 subtitles (pgs, 720x576)"), std::string::npos)
        << log;
    const Json mkv = Json::parse(run("mkvmerge -J '" + dir.file("pal/PAL_title01.mkv") + "'"));
    ASSERT_EQ(mkv["tracks"].size(), 3u);
    EXPECT_EQ(mkv["tracks"][1]["properties"]["language"], "ita");
    EXPECT_EQ(mkv["tracks"][1]["properties"]["track_name"], "Italian");
    EXPECT_EQ(mkv["tracks"][2]["properties"]["track_name"], "Italian (Forced)");
    EXPECT_TRUE(mkv["tracks"][2]["properties"]["forced_track"]);
    EXPECT_EQ(mkv["chapters"][0]["num_entries"], 2);
    // Every sample: the LPCM track ends where the 4-second clip does.
    const Json last =
        Json::parse(run("ffprobe -v error -select_streams a:0 -show_entries packet=pts_time,duration_time "
                        "-of json '" +
                        dir.file("pal/PAL_title01.mkv") + "'"))["packets"]
            .back();
    EXPECT_NEAR(
        std::stod(last["pts_time"].get<std::string>()) + std::stod(last["duration_time"].get<std::string>()),
        kClipSeconds, 0.04);
}

TEST_F(DvdTitles, ATitleThatIsNotThereAndARebuildAreRefused) {
    const CommandResult none = runCommand(
        std::string(QUARNEL_CLI) + " read --title 3 '" + dir.file("MYDISC") + "'", dir.file("err"));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("has no title 3: its titles are 1 to 2"), std::string::npos) << none.err;
    const CommandResult rebuild =
        runCommand(std::string(QUARNEL_CLI) + " rebuild '" + dir.file("MYDISC") + "'", dir.file("err"));
    EXPECT_EQ(rebuild.status, 1);
    EXPECT_NE(rebuild.err.find("A DVD title cannot be rebuilt"), std::string::npos) << rebuild.err;
}

}  // namespace
}  // namespace quarnel
