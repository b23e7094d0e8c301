// SPDX-License-Identifier: GPL-3.0-or-later
// DVD-Audio AOBs: MLP and LPCM behind their private headers of changing length come out as they
// went in, raw or as WAV files that ffmpeg decodes to the samples it was given; DVD-Video LPCM as
// WAV matches ffmpeg's own decoding of the VOB. Skipped, with a message, without ffmpeg.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fixtures/dvd_audio.h"
#include "fixtures/model_fixture.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"

namespace quarnel {
namespace {

using namespace fixtures;

// Two seconds with a tone of its own in every channel, so a swap of channels shows.
std::string tones(int channels, const char* layout, int rate) {
    std::string e;
    for (int c = 0; c < channels; ++c)
        e += (c ? "|" : "") + std::string("0.5*sin(") + std::to_string(300 + 110 * c) + "*2*PI*t)";
    return "-f lavfi -i \"aevalsrc=" + e + ":c=" + layout + ":s=" + std::to_string(rate) + ":d=2\" ";
}

class DvdAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") != 0)
            GTEST_SKIP()
                << "ffmpeg is not installed, so there is no MLP encoder and no decoder to compare with: "
                   "install it (apt-get install ffmpeg) to run this test";
    }

    void ffmpeg(const std::string& args) {
        const CommandResult r = runCommand(
            "cd '" + f.dir.path() + "' && ffmpeg -hide_banner -nostdin -y " + args, f.dir.file("ffmpeg.log"));
        ASSERT_EQ(r.status, 0) << "ffmpeg " << args << "\n" << r.err;
    }

    // The samples ffmpeg decodes from `file`, as 32-bit little-endian.
    Bytes decoded(const std::string& file) {
        const std::string raw = file + ".s32";
        ffmpeg("-i '" + file + "' -map 0:a -f s32le '" + raw + "'");
        return readFile(f.dir.file(raw));
    }

    // Reads `source` and demuxes every stream into out/; the names of the outputs from there.
    std::string demux(const std::string& source, bool wav) {
        const std::string out = f.dir.file("out");
        std::filesystem::create_directories(out);
        f.model.sourcePath = f.dir.file(source);
        f.model.sourceChanged();
        f.model.options.outputDir = out;
        f.model.options.lpcmWav = wav;
        f.read();
        runs::demux(f.model, f.host);
        EXPECT_EQ(f.model.lastError, "");
        return out + "/";
    }

    Bytes file(const std::string& name) { return readFile(f.dir.file(name)); }

    ModelFixture f;
};

EsStream aobLpcm(uint8_t id, const Bytes& samples, Bytes format) {
    EsStream s{EsKind::AobLpcm, id, cutIntoUnits(samples, 4000, 90000, 1800), std::move(format), 0, true};
    s.aobHeaderLengths = {8, 14, 10, 11};
    return s;
}

TEST_F(DvdAudio, MlpAndLpcmComeOutAsTheyWentInRawAndAsWav) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg(tones(2, "stereo", 48000) + "-c:a pcm_s16le s16.wav"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg(tones(2, "stereo", 96000) + "-c:a pcm_s24le s24.wav"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg(tones(6, "5.1", 48000) + "-c:a pcm_s16le s6.wav"));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i s16.wav -strict experimental -c:a mlp source.mlp"));
    for (const char* w : {"s16", "s24", "s6"})
        ASSERT_NO_FATAL_FAILURE(
            ffmpeg(std::string("-i ") + w + ".wav -f " + (w[1] == '2' ? "s24le " : "s16le ") + w + ".pcm"));

    const Bytes lpcm16 = aobLpcmSamples(file("s16.pcm"), 2, 2, 2);
    const Bytes lpcm24 = aobLpcmSamples(file("s24.pcm"), 3, 2, 2);
    const Bytes lpcm6 = aobLpcmSamples(file("s6.pcm"), 2, 6, 2);
    // 16/48 L + R; 24/96 L + R; 16/48 in two groups, Lf + Rf | C + LFE + Ls + Rs
    writeFile(f.dir.file("music.AOB"),
              buildProgramStream({aobLpcm(0xA0, lpcm16, {0, 0x0F, 0x0F, 0, 1, 0x80}),
                                  aobLpcm(0xA2, lpcm24, {0, 0x2F, 0x1F, 0, 1, 0x80}),
                                  aobLpcm(0xA3, lpcm6, {0, 0x00, 0x00, 0, 12, 0x80})},
                                 aobOptions()));
    const Bytes mlp = file("source.mlp");
    EsStream mlpStream{EsKind::AobMlp, 0xA1, cutIntoUnits(mlp, 2000, 90000, 3600), {}, 0, true};
    writeFile(f.dir.file("mlp.AOB"), buildProgramStream({mlpStream}, aobOptions()));
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-i mlp.AOB -map 0:a -c copy -f data ffmpeg.mlp"));

    std::string out = demux("mlp.AOB", false);
    EXPECT_TRUE(f.logged("[b]MLP[/b] audio stream 1 found!"));
    const Bytes ours = readFile(out + "mlp.MLP.stream.01.mpa");
    EXPECT_TRUE(ours == mlp) << "ours " << ours.size() << " bytes, the source's " << mlp.size();
    EXPECT_TRUE(ours == file("ffmpeg.mlp")) << "ffmpeg's " << file("ffmpeg.mlp").size() << " bytes";

    out = demux("music.AOB", false);
    ASSERT_TRUE(f.model.run.aobLpcm[2]);  // the format the JSON report gives: 24 bits at 96 kHz, L + R
    EXPECT_EQ(lpcmBitsOf(f.model.run.aobLpcm[2]->group1Bits), 24);
    EXPECT_EQ(lpcmRateOf(f.model.run.aobLpcm[2]->group1Rate), 96000u);
    EXPECT_EQ(f.model.run.aobLpcm[3]->channelAssignment, 12);
    EXPECT_TRUE(readFile(out + "music.LPCM.stream.00.mpa") == lpcm16);
    EXPECT_TRUE(readFile(out + "music.LPCM.stream.02.mpa") == lpcm24);
    EXPECT_TRUE(readFile(out + "music.LPCM.stream.03.mpa") == lpcm6);
    EXPECT_TRUE(f.logged("It contains [b]3[/b] audio streams."));
    EXPECT_TRUE(f.logged("   Group 1: [bl]24[/bl] bits, [bl]96[/bl] kHz"));
    EXPECT_TRUE(f.logged("   Channel assignment = [bl]12[/bl] (Lf + Rf + C + LFE + Ls + Rs)"));
    EXPECT_TRUE(f.logged("   Number of audio channels = [bl]6[/bl]"));
    EXPECT_EQ(f.count("   Group 2: unused"), 2);

    out = demux("music.AOB", true);
    for (const auto& [name, source] : {std::pair{"00", "s16.wav"}, {"02", "s24.wav"}, {"03", "s6.wav"}}) {
        const std::string wav = "out/music.LPCM.stream." + std::string(name) + ".wav";
        ASSERT_TRUE(std::filesystem::exists(f.dir.file(wav))) << wav;
        EXPECT_TRUE(decoded(wav) == decoded(source)) << wav;
    }
    const CommandResult probe = runCommand(
        "ffprobe -v error -show_entries stream=channels,channel_layout,bits_per_sample -of csv=p=0 '" +
            f.dir.file("out/music.LPCM.stream.03.wav") + "'",
        f.dir.file("ffprobe.log"));
    EXPECT_EQ(probe.out, "6,5.1,16\n");
}

TEST_F(DvdAudio, DvdVideoLpcmAsWavIsWhatFfmpegDecodesFromTheVob) {
    ASSERT_NO_FATAL_FAILURE(ffmpeg("-f lavfi -i testsrc2=size=720x480:rate=30000/1001:duration=2 " +
                                   tones(2, "stereo", 48000) +
                                   "-c:v mpeg2video -c:a pcm_dvd -sample_fmt s32 -f dvd movie.vob"));
    const std::string out = demux("movie.vob", true);
    EXPECT_TRUE(f.logged("Creating " + out + "movie.LPCM.stream.00.wav"));
    const Bytes ours = decoded("out/movie.LPCM.stream.00.wav");
    EXPECT_GT(ours.size(), 48000u * 2 * 4);
    EXPECT_TRUE(ours == decoded("movie.vob"));
}

// Packets whose header length is 0, 5 or past the packet are skipped with one line for the
// stream; a header cut by the end of a read chunk is read across it.
TEST(DvdAudioBadInput, HeaderLengthsOutOfBoundsSkipTheirPacketsAndTheDemuxGoesOn) {
    ModelFixture f;
    const EsStream lpcm = audio(EsKind::AobLpcm, 0xA0, 200, 2000, 90000, 0);
    Bytes file = buildProgramStream({lpcm}, aobOptions());
    const auto subAt = [&](size_t packet) {
        const size_t pack = (packet + 1) * kPackSize;  // after the system header's pack
        return pack + 14 + 9 + file[pack + 14 + 8];
    };
    const std::pair<size_t, uint16_t> bad[] = {{3, 0}, {5, 5}, {7, 3000}};
    for (const auto& [packet, length] : bad) {
        file[subAt(packet) + 2] = uint8_t(length >> 8);
        file[subAt(packet) + 3] = uint8_t(length);
    }
    // leading bytes move the header of packet 126 across the end of the first read chunk
    const size_t shift = kReadBufferSize - subAt(126) - 6;
    file.insert(file.begin(), shift, 0xFF);
    f.source("bad.AOB", file);
    f.model.options.outputDir = f.dir.path();
    f.read();
    runs::demux(f.model, f.host);
    EXPECT_EQ(f.count("Done."), 2);
    EXPECT_EQ(f.count("[re]Audio sub-stream A0: packets whose private header length is out of bounds are "
                      "skipped.[/re]"),
              2);  // once in the Read, once in the Demux
    Bytes expected;
    for (int k = 0; k < 200; ++k)
        if (k != 3 && k != 5 && k != 7) expected.insert(expected.end(), 2000, uint8_t(k));
    EXPECT_TRUE(readFile(f.dir.file("bad.LPCM.stream.00.mpa")) == expected);
}

// An ATS_nn_0.IFO of one title whose tracks begin at the given sector pointers.
Bytes atsIfo(const std::vector<std::pair<uint32_t, uint32_t>>& sectors) {
    Bytes ifo(2048, 0);
    const std::string id = "DVDAUDIO-ATS";
    std::copy(id.begin(), id.end(), ifo.begin());
    const auto put = [&](std::initializer_list<uint8_t> bytes) { ifo.insert(ifo.end(), bytes); };
    const auto put32 = [&](uint32_t v) {
        put({uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    };
    put({0, 1, 0, 0}), put32(0);  // one title
    put({0x81, 0, 0, 0}), put32(16);
    const uint8_t tracks = uint8_t(sectors.size());
    put({0, 0, tracks, tracks}), put32(90000 * tracks), put32(0), put({0, uint8_t(16 + 20 * tracks), 0, 0});
    for (uint8_t k = 0; k < tracks; ++k)
        put({0, 0, 0, 0, uint8_t(k + 1), 0}), put32(90000 * k), put32(90000), put32(0), put({0, 0});
    for (const auto& [first, last] : sectors) put32(0x01000000), put32(first), put32(last);
    return ifo;
}

TEST(DvdAudioTracks, SplitTracksWritesEachTrackOfTheIfoAndAMissingOrBadIfoLeavesWholeStreams) {
    ModelFixture f;
    // the system header's pack is sector 0; packet k (unit bytes k) is sector k + 1
    f.source("ATS_01_1.AOB",
             buildProgramStream({audio(EsKind::AobLpcm, 0xA0, 10, 1500, 90000, 0)}, aobOptions()));
    f.model.options.outputDir = f.dir.path();
    f.model.options.splitTracks = true;
    writeFile(f.dir.file("ATS_01_0.IFO"), atsIfo({{0, 5}, {6, 10}}));
    f.read();
    EXPECT_TRUE(f.logged("Title 1: [bl]2[/bl] tracks, 0:00:02.000"));
    EXPECT_TRUE(f.logged("   Track 2: 0:00:01.000 from 0:00:01.000, sectors 6-10"));
    runs::demux(f.model, f.host);
    EXPECT_EQ(f.count("Done."), 2);
    const auto units = [](uint8_t from, uint8_t to) {
        Bytes b;
        for (uint8_t k = from; k < to; ++k) b.insert(b.end(), 1500, k);
        return b;
    };
    EXPECT_TRUE(readFile(f.dir.file("ATS_01_1.T01.TR01.LPCM.stream.00.mpa")) == units(0, 5));
    EXPECT_TRUE(readFile(f.dir.file("ATS_01_1.T01.TR02.LPCM.stream.00.mpa")) == units(5, 10));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("ATS_01_1.LPCM.stream.00.mpa")));

    Bytes cut = atsIfo({{0, 5}, {6, 10}});
    cut.resize(2048 + 40);
    writeFile(f.dir.file("ATS_01_0.IFO"), cut);
    f.read();
    runs::demux(f.model, f.host);
    EXPECT_TRUE(
        f.logged("[re]No track list: ATS_01_0.IFO cannot be read (a title's tracks or sector pointers lie "
                 "past the end of the file); a Demux writes whole streams.[/re]"));
    EXPECT_TRUE(readFile(f.dir.file("ATS_01_1.LPCM.stream.00.mpa")) == units(0, 10));
    std::filesystem::remove(f.dir.file("ATS_01_0.IFO"));
    f.read();
    EXPECT_TRUE(
        f.logged("No track list: there is no ATS_nn_0.IFO beside the source; a Demux writes whole streams."));
}

}  // namespace
}  // namespace quarnel
