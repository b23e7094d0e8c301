// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "app/session.h"
#include "fixtures/recording_host.h"
#include "runs/operations.h"

namespace quarnel {
namespace {

struct Selection : ::testing::Test {
    fixtures::RecordingHost host;
    Session m;
    void choose(const std::string& path) {
        m.sourcePath = path;
        m.sourceChanged();
    }
};

TEST_F(Selection, SourceInHvdvdTsPointsThePlaylistAtAdvObj) {
    choose("/d/HVDVD_TS/FEATURE_1.EVO");
    EXPECT_EQ(m.sourceDir, "/d/HVDVD_TS/");
    EXPECT_EQ(m.sourceName, "FEATURE_1.EVO");
    EXPECT_EQ(m.baseName, "FEATURE_1");
    EXPECT_EQ(m.playlistPath, "/d/ADV_OBJ/VPLST000.XPL");
    EXPECT_TRUE(m.buttons.readSource);
    EXPECT_TRUE(m.buttons.readPlaylist);
}

TEST_F(Selection, OtherFoldersLeaveThePlaylistFolderAlone) {
    choose("/d/HVDVD_TS/FEATURE_1.EVO");
    choose("/e/hvdvd_ts/FEATURE_1.EVO");
    EXPECT_EQ(m.playlistDir, "/d/ADV_OBJ/");
    EXPECT_EQ(m.playlistPath, "VPLST000.XPL");
}

TEST_F(Selection, PlaylistInAdvObjMovesTheSourceFolder) {
    m.playlistPath = "/d/ADV_OBJ/VPLST000.XPL";
    m.playlistChanged();
    EXPECT_EQ(m.playlistDir, "/d/ADV_OBJ/");
    EXPECT_EQ(m.playlistName, "VPLST000.XPL");
    EXPECT_EQ(m.sourceDir, "/d/HVDVD_TS/");
    EXPECT_TRUE(m.buttons.readPlaylist);
}

TEST_F(Selection, TickingEnablesDemuxAndRebuildOnlyForEvo) {
    choose("/d/FEATURE_1.evo");
    EXPECT_FALSE(m.buttons.demux);
    m.boxes.sub[31].ticked = true;
    m.updateRunButtons();
    EXPECT_TRUE(m.buttons.demux);
    EXPECT_TRUE(m.buttons.rebuild);
    choose("/d/VTS_01_1.VOB");
    m.updateRunButtons();
    EXPECT_TRUE(m.buttons.demux);
    EXPECT_FALSE(m.buttons.rebuild);
    m.boxes.sub[31].ticked = false;
    m.updateRunButtons();
    EXPECT_FALSE(m.buttons.demux);
}

TEST_F(Selection, ResetDisablesUnticksAndRenamesEveryBox) {
    m.boxes.video[1] = {true, true, "MPEG-2.stream.1", "tip"};
    m.boxes.audio[15] = {true, true, "DD.stream.15", ""};
    m.resetBoxes();
    EXPECT_EQ(m.boxes.video[1].caption, "No video stream");
    EXPECT_EQ(m.boxes.video[1].tooltip, "tip");
    EXPECT_FALSE(m.boxes.video[1].enabled || m.boxes.video[1].ticked);
    EXPECT_EQ(m.boxes.audio[15].caption, "No audio stream");
    EXPECT_EQ(m.boxes.sub[0].caption, "No subpicture");
    EXPECT_FALSE(m.buttons.demux);
}

}  // namespace
}  // namespace quarnel
