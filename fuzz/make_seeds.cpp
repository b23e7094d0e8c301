// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: small EVO, VOB and AOB
// files from the fixture builder (their streams made of the analyser snippets), the analyser
// snippets themselves, log lines and file name lists.
//   fuzz_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/sample_streams.h"
#include "fixtures/vti_builder.h"

using namespace quarnel::fixtures;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStart = 0x00100000;

Bytes snippet(const std::string& name) {
    return readFile(std::string(QUARNEL_SOURCE_DIR) + "/tests/data/analysers/" + name);
}

void put(const fs::path& folder, const std::string& name, const Bytes& bytes) {
    fs::create_directories(folder);
    writeFile((folder / name).string(), bytes);
}

void put(const fs::path& folder, const std::string& name, const std::string& text) {
    put(folder, name, Bytes(text.begin(), text.end()));
}

// A stream of one unit made of a snippet, then a few plain units.
EsStream withSnippet(EsStream s, const Bytes& first) {
    if (!s.units.empty()) s.units.front().bytes = first;
    return s;
}

// The set-up bytes of the Read, Demux and Rebuild targets, then the file.
Bytes runInput(uint8_t flags, uint16_t where, uint8_t choice, const Bytes& file) {
    Bytes b = {flags, uint8_t(where), uint8_t(where >> 8), choice};
    b.insert(b.end(), file.begin(), file.end());
    return b;
}

std::vector<std::pair<std::string, Bytes>> sourceFiles() {
    std::vector<std::pair<std::string, Bytes>> files;
    MuxOptions evo;
    evo.copyControl = CopyControl{0x00, 0xF0, 0x41};
    evo.advancedPacksPerVobu = 1;
    files.emplace_back(
        "evo_mpeg2_dolby_sub",
        buildProgramStream(
            {withSnippet(mpeg2Video(0xE0, 3, 600, kStart), snippet("mpeg2_1080.bin")),
             withSnippet(audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1), snippet("ac3_51_448k.bin")),
             withSnippet(audio(EsKind::Eac3, 0xC1, 2, 300, kStart, 2), snippet("eac3_20_224k.bin")),
             subpicture(0x20, 1, 200, kStart, 3), subpicture(0x61, 1, 200, kStart, 4)},
            evo));
    files.emplace_back(
        "evo_h264_dts_truehd",
        buildProgramStream(
            {withSnippet(h264Video(0xE2, 3, 600, kStart), snippet("h264_1080p.bin")),
             withSnippet(audio(EsKind::Dts, 0x88, 2, 300, kStart, 1), snippet("dts_51.bin")),
             withSnippet(audio(EsKind::TrueHd, 0xB1, 2, 300, kStart, 2), snippet("truehd_51.bin"))},
            {}));
    files.emplace_back("evo_vc1_lpcm", buildProgramStream({vc1Video(0x55, 3, 600, kStart),
                                                           audio(EsKind::Lpcm, 0xA0, 2, 300, kStart, 5)},
                                                          {}));
    MuxOptions vob;
    vob.layout = Layout::Vob;
    files.emplace_back(
        "vob_mpeg2_ac3_sub",
        buildProgramStream(
            {withSnippet(mpeg2Video(0xE0, 3, 600, kStart), snippet("mpeg2_480.bin")),
             withSnippet(audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1), snippet("ac3_51_448k.bin")),
             subpicture(0x20, 1, 200, kStart, 3)},
            vob));
    const MuxOptions aob = aobOptions();
    files.emplace_back(
        "aob_mlp",
        buildProgramStream(
            {withSnippet(audio(EsKind::AobMlp, 0xA1, 2, 300, kStart, 1), snippet("mlp_20_44k.bin"))}, aob));
    // DVD-Audio LPCM headers of changing length, one of them out of bounds.
    EsStream lpcm = audio(EsKind::AobLpcm, 0xA0, 3, 2500, kStart, 1);
    lpcm.packUnits = true;
    lpcm.aobHeaderLengths = {8, 12, 5, 10};
    files.emplace_back("aob_lpcm", buildProgramStream({lpcm}, aob));
    // The beginning of the shipped sample: real codings in their packs.
    const fs::path sample = fs::path(QUARNEL_SOURCE_DIR) / "sample" / "HVDVD_TS" / "FEATURE_1.EVO";
    if (fs::exists(sample)) {
        Bytes b = readFile(sample.string());
        b.resize(std::min<size_t>(b.size(), 24 * kPackSize));
        files.emplace_back("evo_sample_start", b);
    }
    return files;
}

void writeRunSeeds(const fs::path& root) {
    const auto files = sourceFiles();
    // extension by name, details and frame counts on; one seed at the chunk boundary, one split.
    for (const auto& [name, bytes] : files) {
        const uint8_t ext = name.rfind("vob", 0) == 0 ? 1 : name.rfind("aob", 0) == 0 ? 2 : 0;
        Bytes scannerInput = {uint8_t(name.size()), uint8_t(ext == 2 ? 0xB5 : 0x35)};
        scannerInput.insert(scannerInput.end(), bytes.begin(), bytes.end());
        put(root / "scanner", name, scannerInput);
        for (const char* target : {"read", "demux", "rebuild"}) {
            const fs::path folder = root / target;
            put(folder, name, runInput(ext | 0x0C, 0, 0x81, bytes));
            put(folder, name + "_boundary", runInput(ext | 0x1C, 1000, 0x80, bytes));
            put(folder, name + "_split", runInput(ext | 0x2C, uint16_t(bytes.size() / 2 + 100), 0x80, bytes));
            put(folder, name + "_wav", runInput(ext | 0x8C, 0, 0x80, bytes));
        }
    }
}

void writeAnalyserSeeds(const fs::path& folder) {
    struct Seed {
        const char* file;
        uint8_t analyser;
        uint8_t flags;
        Bytes header;
    };
    const std::vector<Seed> seeds = {
        {"ac3_51_448k.bin", 0, 4 << 1, {0x80, 0x01, 0x00, 0x01}},
        {"eac3_20_224k.bin", 0, 4 << 1, {0xC0, 0x01, 0x00, 0x01}},
        {"dts_51.bin", 1, 4 << 1, {0x88, 0x01, 0x00, 0x01}},
        {"truehd_51.bin", 3, 5 << 1, {0xB0, 0x01, 0x00, 0x01, 0x00}},
        {"mlp_20_44k.bin", 3, 1 | 7 << 1, {0xA1, 0x01, 0x00, 0x01, 0x00, 0x00, 0x01}},
        {"mpeg2_480.bin", 4, 0, {}},
        {"mpeg2_1080.bin", 4, 0, {}},
        {"h264_1080p.bin", 5, 0, {}},
        {"h264_444.bin", 5, 0, {}},
        {"dvdsub.bin", 7, 0, {}},
    };
    for (const Seed& s : seeds) {
        Bytes b = {s.analyser, s.flags};
        b.insert(b.end(), s.header.begin(), s.header.end());
        const Bytes payload = snippet(s.file);
        b.insert(b.end(), payload.begin(), payload.end());
        put(folder, s.file, b);
    }
    // LPCM snippets start with their 7-byte private header.
    for (const char* file : {"lpcm16.bin", "lpcm24.bin", "lpcm16_6ch.bin"}) {
        Bytes b = {2, 7 << 1};
        const Bytes s = snippet(file);
        b.insert(b.end(), s.begin(), s.end());
        put(folder, file, b);
    }
    // A DVD-Audio LPCM header (24 bits / 96 kHz, group 2 unused, L + R) and samples.
    Bytes aob = {2, 1 | 12 << 1, 0xA0, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0x2F, 0x1F, 0x00, 0x01, 0x80};
    aob.resize(aob.size() + 48, 0x5A);
    put(folder, "aob_lpcm_header", aob);
    // VC-1: a sequence header of the advanced profile and an entry point.
    put(folder, "vc1_sequence",
        Bytes{6,    0,    0x00, 0x00, 0x01, 0x0F, 0xDB, 0xFE, 0x3B, 0xF2, 0x1B, 0xCA, 0x3F, 0xF7, 0xF8, 0x08,
              0x00, 0x00, 0x01, 0x0E, 0x5A, 0xE7, 0xF8, 0x3E, 0x46, 0x8B, 0x04, 0x00, 0x00, 0x01, 0x0D});
}

void writeTextSeeds(const fs::path& root) {
    const fs::path markup = root / "markup";
    put(markup, "found", std::string("[b]Dolby Digital[/b] audio stream 0 found!"));
    put(markup, "values", std::string("   Size = [bl]1920[/bl]x[bl]1080[/bl]  [re]+10[/re]ms"));
    put(markup, "colour", std::string("[c:FF8000]orange[/c:FF8000] [i]x[/i][u]y[/u][s1]a[/s1][s2]b[/s2]"));
    put(markup, "brackets", std::string("Opening file [b]Movie [2007].EVO[/b] [/b] [] [x"));

    const fs::path names = root / "file_sequence";
    put(names, "feature", std::string("FEATURE_1.EVO\nFEATURE_2.EVO\nFEATURE_3.EVO"));
    put(names, "vts", std::string("VTS_01_1.VOB\nVTS_02_1.VOB\nVTS_01_2.VOB"));
    put(names, "layer", std::string("L0_MOVIE.EVO\nL1_MOVIE.EVO"));
    put(names, "divide", std::string("MOVIE.EVO\nMOVIE_Divide.EVO\nMOVIE_Divide_Divide.EVO"));
    put(names, "odd", std::string(".hidden\nno_extension\na.b.c\n/abs/path_1.EVO\n_1\n_09"));
}

void writeDiscSeeds(const fs::path& root) {
    const fs::path playlists = root / "playlist";
    const fs::path shipped = fs::path(QUARNEL_SOURCE_DIR) / "sample" / "ADV_OBJ" / "VPLST000.XPL";
    if (fs::exists(shipped)) put(playlists, "sample", readFile(shipped.string()));
    put(playlists, "small",
        std::string(
            "<?xml version=\"1.0\"?>\n<Playlist displayName=\"P\">\n<TitleSet timeBase=\"60fps\" "
            "tickBase=\"24fps\">\n<MediaAttributeList>\n<VideoAttributeItem index=\"1\" codec=\"VC-1\"/>\n"
            "<AudioAttributeItem index=\"1\" codec=\"DD+\" channels=\"6\"/>\n<SubpictureAttributeItem "
            "index=\"1\" codec=\"2bitRLE\"/>\n</MediaAttributeList>\n<Title id=\"T1\" "
            "displayName=\"Movie\" titleDuration=\"01:00:00:00\">\n<PrimaryAudioVideoClip "
            "src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\n<Video track=\"1\" mediaAttr=\"1\"/>\n"
            "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"English\"/>\n<Subtitle "
            "streamNumber=\"2\" mediaAttr=\"1\" description=\"../../x\"/>\n</PrimaryAudioVideoClip>\n"
            "<ChapterList>\n<Chapter displayName=\"One\" titleTimeBegin=\"00:00:00:00\"/>\n<Chapter "
            "displayName=\"Two\" titleTimeBegin=\"00:10:00:00\"/>\n</ChapterList>\n</Title>\n</TitleSet>\n"
            "</Playlist>\n"));

    VtiLayout layout;
    VtiAttribute a;
    a.hasSubAudio = true;
    a.mainVideo = videoAttributes(3, 0, 3, 0, 2);
    a.mainAudio = {VtiAudio{2, 0, 0, 6}, VtiAudio{}};
    a.subAudio = {VtiAudio{}};
    a.subpictureCodings = {0, 1};
    layout.attributes = {a, VtiAttribute{}};
    VtiEvob e;
    e.name = "FEATURE_1.EVO";
    e.endPtm = 90000;
    VtiEvob f = e;
    f.name = "FEATURE_2.EVO";
    f.attributeNumber = 2;
    layout.evobs = {e, f};
    put(root / "vti", "two_records", buildVti(layout));
    const fs::path sampleVti = fs::path(QUARNEL_SOURCE_DIR) / "sample" / "HVDVD_TS" / "HVA00001.VTI";
    if (fs::exists(sampleVti)) put(root / "vti", "sample", readFile(sampleVti.string()));
    layout.attributes[0].mainAudioCount = 200;
    layout.evobs[1].attributeNumber = 9;
    put(root / "vti", "damaged_counts", buildVti(layout));
}

// Subpicture units, 2-bit and 8-bit, alone and as the records of a .sup file.
void writeSubpictureSeeds(const fs::path& folder) {
    const Bytes dvd = dvdSubpictureUnit(textBitmap("SEED", 2), 40, 400, 90000);
    const Bytes hd = hdSubpictureUnit(bandedPicture(64, 16), bandedPalette(), 100, 900, 90000);
    put(folder, "dvd_unit", dvd);
    put(folder, "hd_unit", hd);
    Bytes sup;
    uint32_t t = 0;
    for (const Bytes* unit : {&dvd, &hd, &dvd}) {
        const Bytes record = supRecord(t, *unit);
        sup.insert(sup.end(), record.begin(), record.end());
        t += 180000;
    }
    put(folder, "three_records.sup", sup);
}

// Pictures for the preparation of character recognition: width, height, palette size, the
// palette's RGBA, the pixels (fuzz/ocr_picture_fuzzer.cpp). Two lines of text in a clear,
// white and black palette, and one line of an 8-bit picture's colours.
void writeOcrPictureSeeds(const fs::path& folder) {
    const auto picture = [](int width, int height, bool eightBit, const Bytes& palette, const Bytes& pixels) {
        Bytes b = {uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                   uint8_t(eightBit)};
        b.insert(b.end(), palette.begin(), palette.end());
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    };
    const Bitmap one = textBitmap("Seed one", 2), two = textBitmap("Two", 2);
    Bytes pixels = one.pixels;
    for (int y = 0; y < two.height; ++y) {
        pixels.insert(pixels.end(), two.pixels.begin() + y * two.width,
                      two.pixels.begin() + (y + 1) * two.width);
        pixels.insert(pixels.end(), size_t(one.width - two.width), 0);
    }
    const Bytes greys = {0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 128, 128, 128, 255};
    put(folder, "two_lines", picture(one.width, one.height + two.height, false, greys, pixels));
    const IndexedPicture banded = bandedPicture(64, 16);
    Bytes colours(256 * 4, 0);
    for (size_t k = 1; k < 256; ++k) colours[k * 4] = colours[k * 4 + 1] = colours[k * 4 + 3] = uint8_t(k);
    put(folder, "banded", picture(banded.width, banded.height, true, colours, banded.pixels));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path root = argv[1];
    writeRunSeeds(root);
    writeAnalyserSeeds(root / "analysers");
    writeTextSeeds(root);
    writeDiscSeeds(root);
    writeSubpictureSeeds(root / "subpicture");
    writeOcrPictureSeeds(root / "ocr_picture");
    return 0;
}
