// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fixtures/sample_streams.h"
#include "fixtures/vti_builder.h"
#include "formats/disc/byte_readers.h"
#include "runs_discmeta_support.h"

namespace quarnel {
namespace {

using namespace fixtures;

// Two attribute records and three EVOBs; the second EVOB names the second record.
VtiLayout twoRecordsThreeEvobs() {
    VtiLayout s;
    VtiAttribute vc1;
    vc1.mainVideo = videoAttributes(3, 0, 3, 1, 12);
    vc1.mainAudio = {{5, 1, 1, 6}, {7, 0, 0, 6}};
    vc1.subpictureCodings = {0, 1, 4};
    VtiAttribute mpeg2;
    mpeg2.mainVideo = videoAttributes(1, 1, 2, 0, 5);
    mpeg2.hasSubVideo = true;
    mpeg2.subVideo = videoAttributes(2, 2, 0, 1, 8);
    mpeg2.hasSubAudio = true;
    mpeg2.subAudio = {{6, 2, 0, 2}, {1, 1, 2, 8}};
    mpeg2.mainAudio = {{7, 0, 0, 2}};
    s.attributes = {vc1, mpeg2};
    VtiEvob a;
    a.name = "FEATURE_1.EVO";
    a.addressOffset = 0x1A2B;
    a.startPtm = 0x15F90;
    a.endPtm = 0xABCDEF01;
    a.size = 747;
    a.index = 1;
    VtiEvob b = a;
    b.name = "FEATURE_2.EVO";
    b.attributeNumber = 2;
    b.appType = 1;
    b.audioGap0 = 2;
    b.audioGap1 = 3;
    b.index = 2;
    b.nulsAfterName = true;
    VtiEvob c = a;
    c.name = "TRAILER.EVO";
    c.index = 3;
    s.evobs = {a, b, c};
    return s;
}

struct VtiRead : ::testing::Test {
    DiscFixture f;
    void read(const VtiLayout& layout, const std::string& evo = "feature_2.evo") {
        f.writeVti(buildVti(layout));
        f.chooseEvo(evo);
        runs::readVti(f.model, f.host);
    }
    const VtiView& v() const { return f.model.vti; }
};

TEST_F(VtiRead, ListsTheRecordsAndShowsTheCurrentEvoFileInAnyLetterCase) {
    read(twoRecordsThreeEvobs());
    ASSERT_TRUE(f.host.errors.empty()) << f.host.errors[0];
    for (const char* line :
         {"Reading [b]HVA00001.VTI[/b]", "2 VTS_EVOB_ATRs found.", "3 VTS_EVOBIs found.", "Done."})
        EXPECT_TRUE(f.logged(line)) << line;
    EXPECT_EQ(v().attributeNumbers.items, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(v().evobNames.items,
              (std::vector<std::string>{"FEATURE_1.EVO", "FEATURE_2.EVO", "TRAILER.EVO"}));
    EXPECT_EQ(v().evobNames.selected, 1);
    EXPECT_EQ(v().evobName, "FEATURE_2.EVO");
    EXPECT_EQ(v().applicationType.text(), "Standard VTS");
    EXPECT_EQ(v().audioGap0.text(), "Audio gap in 2.");
    EXPECT_EQ(v().audioGap1.text(), "Audio gap in 3.");
    EXPECT_EQ(v().addressOffset, "00001A2B");
    EXPECT_EQ(v().startPtm, "00015F90");
    EXPECT_EQ(v().endPtm, "ABCDEF01");
    EXPECT_EQ(v().evobSize, 747);
    EXPECT_EQ(v().evobIndex, 2);
    EXPECT_EQ(v().attributeNumbers.text(), "2");
    EXPECT_EQ(f.host.status[0], " Ready");
}

TEST_F(VtiRead, WithoutAMatchTheFirstEvobIsShownAndNamesEndAtTheirFirstNul) {
    VtiLayout s = twoRecordsThreeEvobs();
    s.evobs[0].nulsAfterName = true;
    read(s, "OTHER.EVO");
    EXPECT_EQ(v().evobNames.selected, 0);
    EXPECT_EQ(v().evobName, "FEATURE_1.EVO");
    EXPECT_EQ(v().mainCompression.text(), "VC-1");
    // A name field without NUL keeps all its bytes.
    s.evobs[0].nulsAfterName = false;
    read(s, "OTHER.EVO");
    EXPECT_EQ(v().evobName.size(), 255u);
    EXPECT_EQ(v().evobName.rfind("FEATURE_1.EVO ", 0), 0u);
}

TEST_F(VtiRead, TheAttributeRecordIsDecodedAsThePageShowsIt) {
    read(twoRecordsThreeEvobs(), "FEATURE_1.EVO");
    VtiView& view = f.model.vti;
    EXPECT_EQ(view.mainCompression.text(), "VC-1");
    EXPECT_EQ(view.mainTvSystem.text(), "525/60Hz");
    EXPECT_EQ(view.mainAspect.text(), "16:9");
    EXPECT_EQ(view.mainScan.text(), "progressive");
    EXPECT_EQ(view.mainResolution.text(), "1920x1080");
    EXPECT_FALSE(view.subCompression.enabled);
    EXPECT_EQ(view.subCompression.selected, -1);
    EXPECT_EQ(view.mainAudioGrid.rows, (std::vector<std::vector<std::string>>{
                                           {"No.", "Coding", "Frequency", "Quantization", "Channels"},
                                           {"0", "LPCM", "96 kHz", "20 bit", "6"},
                                           {"1", "DD/DD+", "48 kHz", "", "6"}}));
    EXPECT_EQ(view.subAudioGrid.rows.size(), 2u);
    EXPECT_EQ(view.subAudioGrid.rows[1], std::vector<std::string>(5));
    EXPECT_EQ(view.subpictureGrid.rows,
              (std::vector<std::vector<std::string>>{
                  {"No.", "Coding"}, {"0", "2 bit RLE (old)"}, {"1", "2 bit RLE"}, {"2", "8 bit RLE"}}));
    EXPECT_EQ(view.subpictureGrid.height(), 4 * 19 + 4);

    // The second EVOB: aspect 2 shows 4:3, sub video and sub audio present, sub audio from 8.
    const size_t listed = view.mainResolution.items.size();
    view.evobNames.selected = 1;
    view.showSelectedEvob();
    EXPECT_EQ(view.mainCompression.text(), "MPEG-2");
    EXPECT_EQ(view.mainTvSystem.text(), "625/50Hz");
    EXPECT_EQ(view.mainAspect.text(), "4:3");
    EXPECT_EQ(view.mainScan.text(), "interlaced");
    EXPECT_EQ(view.mainResolution.text(), "720x480(576)");
    EXPECT_TRUE(view.subCompression.enabled);
    EXPECT_EQ(view.subCompression.text(), "MPEG-4 AVC");
    EXPECT_EQ(view.subResolution.text(), "1280x720");
    EXPECT_EQ(view.mainAudioGrid.rows.size(), 2u);
    EXPECT_EQ(view.mainAudioGrid.rows[1][1], "DD/DD+");
    EXPECT_EQ(view.mainAudioGrid.rows[1][3], "");  // also right after an LPCM first stream
    EXPECT_EQ(view.subAudioGrid.rows, (std::vector<std::vector<std::string>>{
                                          {"No.", "Coding", "Frequency", "Quantization", "Channels"},
                                          {"8", "DTS/DTS-HD", "192 kHz", "", "2"},
                                          {"9", "MLP/True HD", "96 kHz", "24 bit", "8"}}));
    EXPECT_EQ(view.subpictureGrid.rows.size(), 2u);
    EXPECT_EQ(view.mainResolution.items.size(), listed);
    EXPECT_EQ(view.mainResolution.items.size(), 13u);
    EXPECT_EQ(view.mainAspect.items, (std::vector<std::string>{"4:3", "16:9"}));
}

TEST_F(VtiRead, CodesWithoutAnEntryShowNothing) {
    VtiLayout s = twoRecordsThreeEvobs();
    s.attributes[0].mainVideo = videoAttributes(7, 5, 0, 3, 14);
    s.attributes[0].mainAudio = {{40, 5, 0, 1}};
    read(s, "FEATURE_1.EVO");
    EXPECT_EQ(v().mainCompression.text(), "7");
    EXPECT_EQ(v().mainTvSystem.selected, -1);
    EXPECT_EQ(v().mainScan.selected, -1);
    EXPECT_EQ(v().mainResolution.selected, -1);
    EXPECT_EQ(v().mainAudioGrid.rows[1], (std::vector<std::string>{"0", "code 40", "", "", "1"}));
}

TEST_F(VtiRead, UntickedOptionMissingFileAndWrongIdentifier) {
    f.model.options.readVti = false;
    read(twoRecordsThreeEvobs());
    EXPECT_TRUE(f.host.markup.empty());
    EXPECT_TRUE(v().evobNames.items.empty());

    f.model.options.readVti = true;
    read(twoRecordsThreeEvobs());
    ASSERT_EQ(v().evobNames.items.size(), 3u);
    f.host.markup.clear();
    std::filesystem::remove(f.dir.file("HVDVD_TS/HVA00001.VTI"));
    runs::readVti(f.model, f.host);
    EXPECT_EQ(f.host.markup, std::vector<std::string>{"HVA00001.VTI not found"});

    // Another identifier: said so, the lists stay as they were.
    VtiLayout other = twoRecordsThreeEvobs();
    other.identifier = "STANDARD-VTS";
    other.evobs.pop_back();
    f.host.markup.clear();
    read(other);
    EXPECT_TRUE(f.logged("[re]HVA00001.VTI does not begin with ADVANCED-VTS; nothing read from it.[/re]"));
    EXPECT_TRUE(f.logged("Done."));
    EXPECT_EQ(v().evobNames.items.size(), 3u);
    EXPECT_TRUE(f.host.errors.empty());
}

TEST_F(VtiRead, AReadRunWithTheOptionReadsTheVtiAfterwards) {
    f.writeVti(buildVti(twoRecordsThreeEvobs()));
    f.source("HVDVD_TS/FEATURE_2.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 2, 100, 90000, 1)}, {}));
    f.read();
    EXPECT_TRUE(f.logged("3 VTS_EVOBIs found."));
    EXPECT_EQ(v().evobNames.selected, 1);
    EXPECT_FALSE(f.model.runActive);
}

TEST_F(VtiRead, CorruptCountsAndShortFilesGiveAClearErrorAndKeepTheOldLists) {
    read(twoRecordsThreeEvobs());
    const int before = openFiles();
    VtiLayout s = twoRecordsThreeEvobs();
    s.evobCount = 0xFFFFFFF0;
    read(s);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(
        f.host.errors[0],
        "HVA00001.VTI announces 4294967280 VTS_EVOBIs, more than the file holds: it is damaged or not a "
        "title set information file.");
    EXPECT_EQ(f.model.lastError, f.host.errors[0]);
    EXPECT_EQ(v().evobNames.items.size(), 3u);
    EXPECT_EQ(openFiles(), before);

    s = twoRecordsThreeEvobs();
    s.attributeCount = 300;
    read(s);
    EXPECT_NE(f.host.errors.back().find("announces 300 VTS_EVOB_ATRs"), std::string::npos);

    // Cut inside the information table.
    Bytes cut = buildVti(twoRecordsThreeEvobs());
    cut.resize(cut.size() - 2048 + 100);
    f.writeVti(cut);
    runs::readVti(f.model, f.host);
    EXPECT_NE(f.host.errors.back().find("announces 3 VTS_EVOBIs, more than the file holds"),
              std::string::npos)
        << f.host.errors.back();
    // Table sectors beyond the end of the file.
    Bytes far = buildVti(twoRecordsThreeEvobs());
    far[0xBB] = 0x90;
    f.writeVti(far);
    runs::readVti(f.model, f.host);
    EXPECT_NE(f.host.errors.back().find("before the data it announces"), std::string::npos);
    // Twelve bytes only.
    f.writeVti(Bytes{'A', 'D', 'V', 'A', 'N', 'C', 'E', 'D', '-', 'V', 'T', 'S'});
    runs::readVti(f.model, f.host);
    EXPECT_EQ(f.host.errors.size(), 5u);
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(v().evobNames.items.size(), 3u);
    EXPECT_FALSE(f.model.runActive);
}

TEST_F(VtiRead, RecordNumbersAndCountsBeyondTheTablesAreLoggedAndShowNothing) {
    VtiLayout s = twoRecordsThreeEvobs();
    s.evobs[1].attributeNumber = 7;
    s.evobs[2].attributeNumber = 0;
    s.attributes[0].mainAudioCount = 200;
    s.attributes[0].subpictureCount = 40;
    read(s);
    ASSERT_TRUE(f.host.errors.empty());
    EXPECT_TRUE(
        f.logged("[re]FEATURE_2.EVO names VTS_EVOB_ATR 7, which HVA00001.VTI does not hold; its attributes "
                 "are not shown.[/re]"));
    EXPECT_TRUE(
        f.logged("VTS_EVOB_ATR 1 lists 200 main audio streams, more than the 8 it can hold; the first 8 are "
                 "shown."));
    EXPECT_EQ(v().attributeNumbers.selected, -1);
    EXPECT_EQ(v().mainCompression.selected, -1);
    EXPECT_EQ(v().mainAudioGrid.rows.size(), 2u);

    f.model.vti.evobNames.selected = 0;
    f.model.vti.showSelectedEvob();
    EXPECT_EQ(v().mainAudioGrid.rows.size(), 9u);
    EXPECT_EQ(v().subpictureGrid.rows.size(), 33u);

    // Nothing selected: the page is empty.
    f.model.vti.evobNames.selected = 5;
    f.model.vti.showSelectedEvob();
    EXPECT_EQ(v().evobName, "");
    EXPECT_EQ(v().mainCompression.selected, -1);
}

TEST(VtiReaders, BigEndianValuesAndTheEndOfTheFile) {
    TempDir dir;
    const std::string path = dir.file("b.bin");
    writeFile(path, Bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02, 'a', 'b', 0, 'c'});
    InputFile in;
    in.open(path);
    EXPECT_EQ(readbyte(in), 0x12);
    EXPECT_EQ(readU16(in), 0x3456);
    EXPECT_EQ(read3byte(in), 0x789ABCu);
    EXPECT_EQ(readU32(in), 0xDEF00102u);
    EXPECT_EQ(readChars(in, 4), "ab");
    EXPECT_EQ(in.position(), 14u);
    EXPECT_THROW(readbyte(in), QuarnelError);
    in.seek(12);
    EXPECT_THROW(readU32(in), QuarnelError);
    EXPECT_THROW(skipbytes(in, 3), QuarnelError);
    EXPECT_THROW(seekwithin(in, 15), QuarnelError);
    in.seek(10);
    EXPECT_EQ(readChars(in, 2), "ab");  // no NUL: every byte read
}

}  // namespace
}  // namespace quarnel
