// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fixtures/sample_streams.h"
#include "formats/disc/xpl_attributes.h"
#include "runs_discmeta_support.h"

namespace quarnel {
namespace {

using namespace fixtures;

// Two titles; the second plays FEATURE_1. Line ends CR LF, one tag over two lines, a comment,
// an attribute item without channels after one with them.
const std::string kPlaylist =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\" displayName=\"Test Disc\">\r\n"
    "<!-- stream codings -->\r\n"
    "<MediaAttributeList>\r\n"
    "<VideoAttributeItem index=\"1\" codec=\"VC-1\"/>\r\n"
    "<AudioAttributeItem index=\"1\" codec=\"DD+\" channels=\"6\"/>\r\n"
    "<AudioAttributeItem index=\"2\" codec=\"DTS\"/>\r\n"
    "<SubpictureAttributeItem index=\"1\" codec=\"8bitRLE\"/>\r\n"
    "</MediaAttributeList>\r\n"
    "<TitleSet timeBase=\"60fps\" tickBase=\"24fps\">\r\n"
    "<Title displayName=\"Extras\" titleDuration=\"00:05:00:00\">\r\n"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/EXTRA_1.MAP\">\r\n"
    "<Audio track=\"1\" streamNumber=\"3\" mediaAttr=\"2\" description=\"Trailer\"/>\r\n"
    "</PrimaryAudioVideoClip>\r\n"
    "<ChapterList><Chapter titleTimeBegin=\"00:00:00:00\" displayName=\"Extra\"/></ChapterList>\r\n"
    "</Title>\r\n"
    "<Title displayName=\"Feature\"\r\n"
    "\ttitleDuration=\"01:30:00:00\">\r\n"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\r\n"
    "<Video track=\"1\" mediaAttr=\"1\"/>\r\n"
    "<Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"English\"/>\r\n"
    "<Audio track=\"2\" streamNumber=\"2\" mediaAttr=\"2\" description=\"Director\"/>\r\n"
    "<Subtitle track=\"1\" streamNumber=\"32\" mediaAttr=\"1\" description=\"Forced\"/>\r\n"
    "</PrimaryAudioVideoClip>\r\n"
    "<ChapterList>\r\n"
    "<Chapter titleTimeBegin=\"01:02:03:45\" displayName=\"Opening\"/>\r\n"
    "<Chapter titleTimeBegin=\"01:10:00:59\" displayName=\"Caf&#233; \xC3\xA9\"/>\r\n"
    "</ChapterList>\r\n"
    "</Title>\r\n"
    "</TitleSet>\r\n"
    "</Playlist>\r\n";

std::string repeatChapters(int count) {
    std::string s = "<Playlist><TitleSet><Title displayName=\"T\"><ChapterList>\n";
    for (int k = 0; k < count; ++k) s += "<Chapter titleTimeBegin=\"00:00:00:30\" displayName=\"C\"/>\n";
    return s + "</ChapterList></Title></TitleSet></Playlist>\n";
}

const std::vector<std::string>& children(const Session& m, XplNode node) {
    return m.playlist.tree.at(size_t(node)).children;
}

TEST(PlaylistLookups, AttributeValuesNumbersAndChapterTimes) {
    std::string into = "kept";
    getattr("<Audio streamNumber=\"2\">", "description", into);
    EXPECT_EQ(into, "kept");
    getattr("<Audio DESCRIPTION = \"English\" x=\"y\">", "description", into);
    EXPECT_EQ(into, "English");
    EXPECT_EQ(getattrint("<Video track=\"12\"/>", "TRACK"), 12);
    EXPECT_EQ(getattrint("<Video track=\"1x\"/>", "track"), 0);
    EXPECT_EQ(getattrint("<Video/>", "track"), 0);
    EXPECT_EQ(lenientNumber(" 7abc"), 7);
    EXPECT_EQ(lenientNumber("x"), 0);
    EXPECT_EQ(zeropad(5, 3), "005");
    EXPECT_EQ(zeropad(1234, 3), "1234");
    // A count at 60fps is 1001/60000 s: the exact time, rounded to the millisecond.
    EXPECT_EQ(chapterTime("00:00:00:30", "60fps"), "00:00:00.501");
    EXPECT_EQ(chapterTime("00:00:00:59", ""), "00:00:00.984");
    EXPECT_EQ(chapterTime("00:00:06:15", "60fps"), "00:00:06.256");
    EXPECT_EQ(chapterTime("01:02:03:45", "60fps"), "01:02:07.474");
    EXPECT_EQ(chapterTime("01:00:00:00", "60fps"), "01:00:03.600");
    EXPECT_EQ(chapterTime("00:00:06:25", "50fps"), "00:00:06.500");
    EXPECT_EQ(chapterTime("00:00:06", "60fps"), "00:00:06.000");  // not a time: its fields as they stand

    const PlaylistStream forced =
        playlistStreamOf("<Subtitle langcode=\"FR:09\" description=\"Forc\u00e9\"/>");
    EXPECT_EQ(forced.language, "fr");
    EXPECT_EQ(forced.codeExtension, kForcedCaptionExtension);
    const PlaylistStream unnamed = playlistStreamOf("<Audio langcode=\"*\"/>");
    EXPECT_EQ(unnamed.language, "");
    EXPECT_EQ(unnamed.description, "");
    EXPECT_EQ(playlistStreamOf("<Audio langcode=\"eng:01\"/>").language, "");  // not ISO 639-1
}

TEST(PlaylistRead, TrimsToTheTitleOfTheEvoFileAndNamesItsStreams) {
    DiscFixture f;
    f.chooseEvo("FEATURE_1.EVO");
    f.choosePlaylist(kPlaylist);
    runs::readPlaylist(f.model, f.host);
    ASSERT_TRUE(f.host.errors.empty()) << f.host.errors[0];
    const Session& m = f.model;

    // The tag list holds the Feature title only, the two-line tag joined with one blank.
    ASSERT_FALSE(m.playlist.tags.empty());
    EXPECT_EQ(m.playlist.tags.front(), "    <Title displayName=\"Feature\" titleDuration=\"01:30:00:00\">");
    EXPECT_EQ(m.playlist.tags.back(), "    </Title>");
    EXPECT_EQ(std::count_if(m.playlist.tags.begin(), m.playlist.tags.end(),
                            [](const std::string& l) { return l.find("Extras") != std::string::npos; }),
              0);

    EXPECT_EQ(children(m, kInfoNode),
              (std::vector<std::string>{"Title: Test Disc", "Name: Feature", "Duration: 01:30:00:00",
                                        "TimeBase: 60fps", "TickBase: 24fps"}));
    EXPECT_EQ(children(m, kVideoNode), std::vector<std::string>{"VC-1.s0"});
    // The second audio item has no channels: it takes those of the item before it.
    EXPECT_EQ(children(m, kAudioNode),
              (std::vector<std::string>{"DD+.6ch.s00.English", "DTS.6ch.s01.Director"}));
    EXPECT_EQ(children(m, kSubtitleNode), std::vector<std::string>{"8bitRLE.s31.Forced"});
    EXPECT_TRUE(f.logged("DD+.6ch.s00.English found!"));
    EXPECT_TRUE(f.logged("VC-1.s0 found!"));

    EXPECT_TRUE(m.boxes.audio[0].enabled && m.boxes.audio[0].ticked);
    EXPECT_EQ(m.boxes.audio[0].caption, "DD+.6ch.s00.English");
    EXPECT_EQ(m.boxes.audio[0].tooltip, "DD+.6ch.s00.English");
    EXPECT_EQ(m.boxes.video[0].caption, "VC-1.s0");
    EXPECT_EQ(m.boxes.sub[31].caption, "8bitRLE.s31.Forced");
    EXPECT_FALSE(m.boxes.audio[2].enabled);  // stream 3 belongs to the other title
    EXPECT_EQ(m.table.audio[0], 1);
    EXPECT_EQ(m.table.audio[2], -1);
    EXPECT_EQ(m.table.sub[31], 1);
    EXPECT_TRUE(m.tableFromPlaylist);
    EXPECT_TRUE(m.buttons.demux);
    EXPECT_TRUE(m.buttons.rebuild);

    // Chapters: the tree shows the playlist's time, the list the converted one; the name's
    // bytes are kept as they stand.
    EXPECT_EQ(children(m, kChapterNode),
              (std::vector<std::string>{"01:02:03:45: Opening", "01:10:00:59: Caf&#233; \xC3\xA9"}));
    EXPECT_EQ(m.playlist.chapters,
              (std::vector<std::string>{"CHAPTER01=01:02:07.474", "CHAPTER01NAME=Opening",
                                        "CHAPTER02=01:10:05.184", "CHAPTER02NAME=Caf&#233; \xC3\xA9"}));
    EXPECT_TRUE(m.buttons.writeChapters);
    EXPECT_TRUE(m.buttons.readPlaylist && m.buttons.chooseSource && m.buttons.choosePlaylist);
    EXPECT_TRUE(f.logged("Open VPLST000.XPL"));
    EXPECT_TRUE(f.logged("Filesize: " + std::to_string(kPlaylist.size()) + " bytes"));
    EXPECT_EQ(f.host.markup.end()[-2], "Done.");
    EXPECT_EQ(f.host.status[0], " Ready");
}

TEST(PlaylistRead, IndentFollowsNestingButNotEmptyElementsOrComments) {
    DiscFixture f;
    f.choosePlaylist(kPlaylist);  // no EVO file: the whole playlist stays
    runs::readPlaylist(f.model, f.host);
    const auto& tags = f.model.playlist.tags;
    ASSERT_GE(tags.size(), 9u);
    EXPECT_EQ(tags[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_EQ(tags[1].rfind("<Playlist ", 0), 0u);
    EXPECT_EQ(tags[2], "  <!-- stream codings -->");
    EXPECT_EQ(tags[3], "  <MediaAttributeList>");
    EXPECT_EQ(tags[4], "    <VideoAttributeItem index=\"1\" codec=\"VC-1\"/>");
    EXPECT_EQ(tags[5], "    <AudioAttributeItem index=\"1\" codec=\"DD+\" channels=\"6\"/>");
    EXPECT_EQ(tags[8], "  </MediaAttributeList>");
    EXPECT_EQ(tags.back(), "</Playlist>");
    // Both titles are scanned; stream 3 of the first title is listed too.
    EXPECT_EQ(
        children(f.model, kAudioNode),
        (std::vector<std::string>{"DTS.6ch.s02.Trailer", "DD+.6ch.s00.English", "DTS.6ch.s01.Director"}));
    EXPECT_EQ(f.model.playlist.chapters.size(), 6u);
    EXPECT_EQ(f.model.playlist.chapters[2], "CHAPTER02=01:02:07.474");
    // The tree lists each title's chapters under its name.
    EXPECT_EQ(children(f.model, kChapterNode),
              (std::vector<std::string>{"Extras:", "  00:00:00:00: Extra", "Feature:",
                                        "  01:02:03:45: Opening", "  01:10:00:59: Caf&#233; \xC3\xA9"}));
}

TEST(PlaylistRead, ChaptersAreNumberedPastNineAndNinetyNine) {
    DiscFixture f;
    f.choosePlaylist(repeatChapters(101));
    runs::readPlaylist(f.model, f.host);
    const auto& c = f.model.playlist.chapters;
    ASSERT_EQ(c.size(), 202u);
    EXPECT_EQ(c[0], "CHAPTER01=00:00:00.501");
    EXPECT_EQ(c[17], "CHAPTER09NAME=C");
    EXPECT_EQ(c[18], "CHAPTER10=00:00:00.501");
    EXPECT_EQ(c[196], "CHAPTER99=00:00:00.501");
    EXPECT_EQ(c[198], "CHAPTER100=00:00:00.501");
    EXPECT_EQ(c[201], "CHAPTER101NAME=C");
}

TEST(PlaylistRead, AttributeTablesCarryOverAndTheFirstItemWithoutChannelsIsThePlainCodec) {
    DiscFixture f;
    f.choosePlaylist(kPlaylist);
    runs::readPlaylist(f.model, f.host);
    EXPECT_EQ(f.model.playlist.audioAttr[1], "DTS.6ch");
    // A second playlist defines audio item 2 only (no channels: the first item of its run).
    f.choosePlaylist(
        "<Playlist><AudioAttributeItem index=\"2\" codec=\"DD\"/><TitleSet><Title displayName=\"T\">"
        "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"A\"/>"
        "<Audio streamNumber=\"2\" mediaAttr=\"2\" description=\"B\"/></Title></TitleSet></Playlist>");
    runs::readPlaylist(f.model, f.host);
    EXPECT_EQ(f.model.playlist.audioAttr[0], "DD+.6ch");
    EXPECT_EQ(f.model.playlist.audioAttr[1], "DD");
    EXPECT_EQ(f.model.playlist.videoAttr[0], "VC-1");
    EXPECT_EQ(children(f.model, kAudioNode), (std::vector<std::string>{"DD+.6ch.s00.A", "DD.s01.B"}));
    EXPECT_TRUE(f.model.playlist.chapters.empty());
    EXPECT_FALSE(f.model.buttons.writeChapters);
}

TEST(PlaylistRead, NumbersOutsideTheTablesAreIgnoredAndLoggedOnce) {
    DiscFixture f;
    f.choosePlaylist(
        "<Playlist><AudioAttributeItem index=\"9\" codec=\"X\"/><AudioAttributeItem index=\"0\" codec=\"Y\"/>"
        "<AudioAttributeItem codec=\"Z\"/><AudioAttributeItem index=\"3\" codec=\"DD\"/>"
        "<TitleSet><Title displayName=\"T\">"
        "<Video track=\"17\" mediaAttr=\"1\"/><Video mediaAttr=\"1\"/>"
        "<Audio streamNumber=\"17\" mediaAttr=\"3\"/><Audio streamNumber=\"0\" mediaAttr=\"3\"/>"
        "<Audio streamNumber=\"-5\" mediaAttr=\"3\"/>"
        "<Subtitle streamNumber=\"33\" mediaAttr=\"1\"/>"
        "<Audio streamNumber=\"16\" mediaAttr=\"9\" description=\"Last\"/>"
        "<Audio streamNumber=\"4\" mediaAttr=\"3\" description=\"Ok\"/>"
        "</Title></TitleSet></Playlist>");
    runs::readPlaylist(f.model, f.host);
    ASSERT_TRUE(f.host.errors.empty());
    EXPECT_EQ(f.model.playlist.audioAttr[2], "DD");
    EXPECT_TRUE(f.logged("[re]AudioAttributeItem index 9 ignored: items are numbered 1 to 8.[/re]"));
    EXPECT_TRUE(f.logged("[re]Video stream with track 17 ignored: streams are numbered 1 to 16.[/re]"));
    EXPECT_TRUE(
        f.logged("[re]Audio stream with streamNumber 17 ignored: streams are numbered 1 to 16.[/re]"));
    EXPECT_TRUE(
        f.logged("[re]Subtitle stream with streamNumber 33 ignored: streams are numbered 1 to 32.[/re]"));
    EXPECT_TRUE(
        f.logged("[re]Audio stream 16 names mediaAttr 9, outside 1 to 8: its coding is not named.[/re]"));
    const auto ignored = std::count_if(f.host.markup.begin(), f.host.markup.end(), [](const std::string& l) {
        return l.find("ignored") != std::string::npos;
    });
    EXPECT_EQ(ignored, 4);  // one line per kind of problem
    EXPECT_EQ(children(f.model, kAudioNode), (std::vector<std::string>{".s15.Last", "DD.s03.Ok"}));
    EXPECT_TRUE(children(f.model, kVideoNode).empty());
    EXPECT_EQ(f.model.boxes.audio[15].caption, ".s15.Last");
    EXPECT_EQ(f.model.boxes.audio[3].caption, "DD.s03.Ok");
    for (int k : {0, 1, 2, 4}) EXPECT_FALSE(f.model.boxes.audio[size_t(k)].enabled) << k;
}

TEST(PlaylistRead, ChapterWithoutStartTimeIsLeftOutAndOneWithoutNameHasAnEmptyName) {
    DiscFixture f;
    f.choosePlaylist(
        "<Title displayName=\"T\"><Chapter titleTimeBegin=\"00:00:01:00\" displayName=\"One\"/>"
        "<Chapter displayName=\"Lost\"/><Chapter titleTimeBegin=\"00:00:02:00\"/></Title>");
    runs::readPlaylist(f.model, f.host);
    EXPECT_EQ(f.model.playlist.chapters,
              (std::vector<std::string>{"CHAPTER01=00:00:01.001", "CHAPTER01NAME=One",
                                        "CHAPTER02=00:00:02.002", "CHAPTER02NAME="}));
    EXPECT_TRUE(f.logged("[re]Chapter \"Lost\" has no titleTimeBegin: left out of the chapter list.[/re]"));
}

TEST(PlaylistRead, DescriptionsCannotMakeADemuxWriteOutsideTheOutputFolder) {
    DiscFixture f;
    f.source("FEATURE_1.EVO", buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 500, 90000, 1)}, {}));
    f.model.options.outputDir = f.dir.file("out");
    std::filesystem::create_directories(f.model.options.outputDir);
    f.choosePlaylist(
        "<AudioAttributeItem index=\"1\" codec=\"../..\"/><SubpictureAttributeItem index=\"1\" "
        "codec=\"a\\b\"/>"
        "<Title displayName=\"T\" src=\"FEATURE_1\">"
        "<Audio streamNumber=\"1\" mediaAttr=\"1\" description=\"/../../../tmp/evil\"/>"
        "<Audio streamNumber=\"2\" mediaAttr=\"1\" description=\"bell\x7Ftab\ttick\"/>"
        "<Subtitle streamNumber=\"1\" mediaAttr=\"1\" description=\"..\"/></Title>");
    runs::readPlaylist(f.model, f.host);
    for (const StreamBox* b : {&f.model.boxes.audio[0], &f.model.boxes.audio[1], &f.model.boxes.sub[0]}) {
        EXPECT_EQ(b->caption.find('/'), std::string::npos) << b->caption;
        EXPECT_EQ(b->caption.find('\\'), std::string::npos) << b->caption;
        EXPECT_EQ(b->caption.find(".."), std::string::npos) << b->caption;
        for (char c : b->caption) EXPECT_GE(uint8_t(c), 0x20) << b->caption;
    }
    EXPECT_EQ(f.model.boxes.audio[0].caption, "._.s00._._._._tmp_evil");
    EXPECT_EQ(f.model.boxes.audio[1].caption, "._.s01.bell_tab tick");

    runs::demux(f.model, f.host);
    // Every output lies in the output folder; nothing new beside the source or above it.
    int outputs = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.model.options.outputDir)) {
        EXPECT_EQ(e.path().parent_path(), std::filesystem::path(f.model.options.outputDir));
        ++outputs;
    }
    EXPECT_EQ(outputs, 3);
    int besideSource = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.dir.path()))
        besideSource += e.is_regular_file();
    EXPECT_EQ(besideSource, 1);  // the source itself
}

TEST(PlaylistRead, AFailedReadRestoresTheButtonsAndClosesTheFile) {
    DiscFixture f;
    f.chooseEvo("FEATURE_1.EVO");
    f.model.playlistPath = f.dir.file("ADV_OBJ/missing.XPL");
    f.model.playlistChanged();
    const int before = openFiles();
    runs::readPlaylist(f.model, f.host);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_NE(f.host.errors[0].find("missing.XPL"), std::string::npos);
    EXPECT_EQ(f.model.lastError, f.host.errors[0]);
    EXPECT_TRUE(f.model.buttons.readPlaylist && f.model.buttons.chooseSource &&
                f.model.buttons.choosePlaylist);
    EXPECT_TRUE(f.model.buttons.readSource);
    EXPECT_FALSE(f.model.runActive);
    EXPECT_EQ(openFiles(), before);

    // A folder given as the playlist fails the same way, and a later read works.
    f.model.playlistPath = f.dir.file("ADV_OBJ");
    runs::readPlaylist(f.model, f.host);
    EXPECT_EQ(f.host.errors.size(), 2u);
    EXPECT_EQ(openFiles(), before);
    f.choosePlaylist(kPlaylist);
    runs::readPlaylist(f.model, f.host);
    EXPECT_TRUE(f.model.lastError.empty());
    EXPECT_EQ(f.model.playlist.chapters.size(), 4u);
}

}  // namespace
}  // namespace quarnel
