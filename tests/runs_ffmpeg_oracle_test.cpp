// SPDX-License-Identifier: GPL-3.0-or-later
// ffmpeg as the oracle: DVD VOB files that ffmpeg multiplexes (MPEG-2 video with AC-3 or LPCM
// audio), demultiplexed by our Demux run, give byte for byte the streams that ffmpeg itself
// takes out of them. Skipped, with a message, where ffmpeg is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fixtures/model_fixture.h"
#include "fixtures/run_command.h"

namespace quarnel {
namespace {

using namespace fixtures;

bool ffmpegInstalled() {
    return std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0;
}

// Three seconds of NTSC DVD video: 90 pictures of 720x480 at 30000/1001, about 1 MB, so the
// Demux reads several 256 KiB chunks and packets straddle their ends.
const std::string kVideoInput = "-f lavfi -i testsrc2=size=720x480:rate=30000/1001:duration=3 ";
const std::string kVideoCoding = "-c:v mpeg2video -b:v 2500k -g 15 -bf 2 ";
constexpr int kPictures = 90;

class FfmpegOracle : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!ffmpegInstalled())
            GTEST_SKIP() << "ffmpeg is not installed, so there is no oracle to compare our demux with: "
                            "install it (apt-get install ffmpeg; tools/run-tests.sh does) to run this test";
    }

    // Runs ffmpeg with `args`; its messages go to a file, shown when it fails.
    void ffmpeg(const std::string& args) {
        const std::string log = f.dir.file("ffmpeg.log");
        const CommandResult r =
            runCommand("cd '" + f.dir.path() + "' && ffmpeg -hide_banner -nostdin -y " + args, log);
        ASSERT_EQ(r.status, 0) << "ffmpeg " << args << "\n" << r.err;
    }

    // Reads and demultiplexes `vob` (in the temporary folder) into out/ with every stream ticked.
    std::string demux(const std::string& vob) {
        const std::string out = f.dir.file("out");
        std::filesystem::create_directories(out);
        f.model.sourcePath = f.dir.file(vob);
        f.model.sourceChanged();
        f.model.options.outputDir = out;
        f.read();
        runs::demux(f.model, f.host);
        EXPECT_EQ(f.model.lastError, "");
        EXPECT_EQ(f.count("Done."), 2);
        return out + "/";
    }

    Bytes file(const std::string& name) { return readFile(f.dir.file(name)); }

    // The pictures in an MPEG-2 elementary stream: its picture start codes.
    static int pictures(const Bytes& es) {
        int n = 0;
        for (size_t i = 0; i + 3 < es.size(); ++i)
            n += es[i] == 0 && es[i + 1] == 0 && es[i + 2] == 1 && es[i + 3] == 0;
        return n;
    }

    ModelFixture f;
};

TEST_F(FfmpegOracle, Mpeg2VideoAndAc3AudioAreWhatFfmpegCopiesOut) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg(kVideoInput +
                                   "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 " +
                                   kVideoCoding + "-c:a ac3 -b:a 192k -ac 2 -f dvd movie.vob"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:v -c copy -f mpeg2video ffmpeg.m2v"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:a -c copy -f ac3 ffmpeg.ac3"));

    const std::string out = demux("movie.vob");
    const Bytes video = readFile(out + "movie.MPEG-2.stream.0.mpv");
    const Bytes audio = readFile(out + "movie.DD.stream.00.mpa");
    ASSERT_GT(video.size(), 3 * kReadBufferSize);
    EXPECT_TRUE(video == file("ffmpeg.m2v"))
        << "video: ours " << video.size() << " bytes, ffmpeg's " << file("ffmpeg.m2v").size();
    EXPECT_TRUE(audio == file("ffmpeg.ac3"))
        << "audio: ours " << audio.size() << " bytes, ffmpeg's " << file("ffmpeg.ac3").size();
    EXPECT_TRUE(f.logged("[b]MPEG-2[/b] video stream 0 found!"));
    EXPECT_TRUE(f.logged("[b]Dolby Digital[/b] audio stream 0 found!"));
}

// Packs of 2048 bytes line up with the 256 KiB chunks of a read; a few bytes before the first
// pack move the chunk ends into pack headers, PES headers, start codes and payloads, and the
// streams stay the same.
TEST_F(FfmpegOracle, AVobShiftedAcrossTheChunkEndsGivesTheSameStreams) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg(kVideoInput +
                                   "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 " +
                                   kVideoCoding + "-c:a ac3 -b:a 192k -ac 2 -f dvd movie.vob"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:v -c copy -f mpeg2video ffmpeg.m2v"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:a -c copy -f ac3 ffmpeg.ac3"));
    const Bytes vob = file("movie.vob");
    for (size_t shift : {1, 2, 3, 5, 14, 17, 23, 1001, 2047}) {
        SCOPED_TRACE("shifted by " + std::to_string(shift));
        Bytes shifted(shift, 0xFF);
        shifted.insert(shifted.end(), vob.begin(), vob.end());
        writeFile(f.dir.file("shifted.vob"), shifted);
        f.host.clearLog();
        const std::string out = demux("shifted.vob");
        EXPECT_TRUE(readFile(out + "shifted.MPEG-2.stream.0.mpv") == file("ffmpeg.m2v"));
        EXPECT_TRUE(readFile(out + "shifted.DD.stream.00.mpa") == file("ffmpeg.ac3"));
        EXPECT_EQ(f.model.run.countedFrames[0], kPictures);
    }
}

TEST_F(FfmpegOracle, CountedFramesOfAnFfmpegVobAreItsPictures) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg(kVideoInput + kVideoCoding + "-f dvd movie.vob"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:v -c copy -f mpeg2video ffmpeg.m2v"));
    f.model.sourcePath = f.dir.file("movie.vob");
    f.model.sourceChanged();
    f.read();
    EXPECT_EQ(pictures(file("ffmpeg.m2v")), kPictures);
    EXPECT_EQ(f.model.run.countedFrames[0], kPictures);
    EXPECT_TRUE(f.logged("90 counted frames ([b]0:00:03.003[/b]) in video stream 0."));
}

// DVD LPCM carries big-endian samples after the 7 bytes of its private header, and our demux
// writes them as they stand. ffmpeg's "-c copy" keeps 3 of those header bytes in every packet
// (its LPCM decoder reads them), so the oracle here is ffmpeg's decoding to 16-bit big-endian
// samples, which for 16-bit LPCM are the stream's bytes, and the samples ffmpeg was given.
TEST_F(FfmpegOracle, LpcmAudioIsTheRawSamplesThatFfmpegMultiplexed) {
    ASSERT_NO_FATAL_FAILURE(
        ffmpeg("-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 -ac 2 -f s16be source.pcm"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg(kVideoInput + "-f s16be -ar 48000 -ac 2 -i source.pcm " + kVideoCoding +
                                   "-c:a pcm_s16be -f dvd movie.vob"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:v -c copy -f mpeg2video ffmpeg.m2v"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:a -c:a pcm_s16be -f s16be ffmpeg.pcm"));

    const std::string out = demux("movie.vob");
    const Bytes video = readFile(out + "movie.MPEG-2.stream.0.mpv");
    const Bytes audio = readFile(out + "movie.LPCM.stream.00.mpa");
    EXPECT_TRUE(video == file("ffmpeg.m2v"))
        << "video: ours " << video.size() << " bytes, ffmpeg's " << file("ffmpeg.m2v").size();
    EXPECT_EQ(audio.size(), 3u * 48000 * 2 * 2);
    EXPECT_TRUE(audio == file("ffmpeg.pcm"))
        << "audio: ours " << audio.size() << " bytes, ffmpeg's " << file("ffmpeg.pcm").size();
    EXPECT_TRUE(audio == file("source.pcm"));
    EXPECT_TRUE(f.logged("[b]LPCM[/b] audio stream 0 found!"));
    EXPECT_TRUE(f.logged("   Quantization length = [bl]16[/bl] bits"));
    EXPECT_TRUE(f.logged("   Number of audio channels = [bl]2[/bl]"));
}

TEST_F(FfmpegOracle, TwoAc3StreamsGoToTwoFiles) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg(kVideoInput +
                                   "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=3 "
                                   "-f lavfi -i sine=frequency=880:sample_rate=48000:duration=3 " +
                                   kVideoCoding +
                                   "-map 0 -map 1 -map 2 -c:a ac3 -b:a:0 192k -b:a:1 96k -f dvd movie.vob"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:a:0 -c copy -f ac3 first.ac3"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i movie.vob -map 0:a:1 -c copy -f ac3 second.ac3"));

    const std::string out = demux("movie.vob");
    EXPECT_TRUE(readFile(out + "movie.DD.stream.00.mpa") == file("first.ac3"));
    EXPECT_TRUE(readFile(out + "movie.DD.stream.01.mpa") == file("second.ac3"));
}

}  // namespace
}  // namespace quarnel
