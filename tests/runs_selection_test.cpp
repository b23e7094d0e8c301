#include <gtest/gtest.h>

#include "fixtures/recording_host.h"
#include "app/main_model.h"

namespace quarnel {
namespace {

struct Selection : ::testing::Test {
    fixtures::RecordingHost host;
    MainModel m{host};
    void choose(const std::string& path) {
        m.eEVOfile = path;
        m.EVOadj();
    }
};

TEST_F(Selection, SourceInHvdvdTsPointsThePlaylistAtAdvObj) {
    choose("/d/HVDVD_TS/FEATURE_1.EVO");
    EXPECT_EQ(m.evoDir, "/d/HVDVD_TS/");
    EXPECT_EQ(m.evoFileName, "FEATURE_1.EVO");
    EXPECT_EQ(m.evoBaseName, "FEATURE_1");
    EXPECT_EQ(m.eXPLfile, "/d/ADV_OBJ/VPLST000.XPL");
    EXPECT_TRUE(m.buttons.bReadEVO);
    EXPECT_TRUE(m.buttons.bReadXPL);
}

TEST_F(Selection, OtherFoldersLeaveThePlaylistFolderAlone) {
    choose("/d/HVDVD_TS/FEATURE_1.EVO");
    choose("/e/hvdvd_ts/FEATURE_1.EVO");
    EXPECT_EQ(m.xplDir, "/d/ADV_OBJ/");
    EXPECT_EQ(m.eXPLfile, "VPLST000.XPL");
}

TEST_F(Selection, PlaylistInAdvObjMovesTheSourceFolder) {
    m.eXPLfile = "/d/ADV_OBJ/VPLST000.XPL";
    m.XPLadj();
    EXPECT_EQ(m.xplDir, "/d/ADV_OBJ/");
    EXPECT_EQ(m.xplFileName, "VPLST000.XPL");
    EXPECT_EQ(m.evoDir, "/d/HVDVD_TS/");
    EXPECT_TRUE(m.buttons.bReadXPL);
}

TEST_F(Selection, TickingEnablesDemuxAndRebuildOnlyForEvo) {
    choose("/d/FEATURE_1.evo");
    EXPECT_FALSE(m.buttons.bDemux);
    m.boxes.sub[31].ticked = true;
    m.cbVideoClick();
    EXPECT_TRUE(m.buttons.bDemux);
    EXPECT_TRUE(m.buttons.bRebuild);
    choose("/d/VTS_01_1.VOB");
    m.cbVideoClick();
    EXPECT_TRUE(m.buttons.bDemux);
    EXPECT_FALSE(m.buttons.bRebuild);
    m.boxes.sub[31].ticked = false;
    m.cbVideoClick();
    EXPECT_FALSE(m.buttons.bDemux);
}

TEST_F(Selection, ResetDisablesUnticksAndRenamesEveryBox) {
    m.boxes.video[1] = {true, true, "MPEG-2.stream.1", "tip"};
    m.boxes.audio[15] = {true, true, "DD.stream.15", ""};
    m.Resetcbs();
    EXPECT_EQ(m.boxes.video[1].caption, "No video stream");
    EXPECT_EQ(m.boxes.video[1].tooltip, "tip");
    EXPECT_FALSE(m.boxes.video[1].enabled || m.boxes.video[1].ticked);
    EXPECT_EQ(m.boxes.audio[15].caption, "No audio stream");
    EXPECT_EQ(m.boxes.sub[0].caption, "No subpicture");
    EXPECT_FALSE(m.buttons.bDemux);
}

}  // namespace
}  // namespace quarnel
