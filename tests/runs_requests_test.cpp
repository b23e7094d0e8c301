// SPDX-License-Identifier: GPL-3.0-or-later
// Requests: the command line and the window ask for the same thing when they choose the same
// streams, and a playlist goes with the source it was read for, whatever the order of the
// buttons.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "fixtures/sample_streams.h"
#include "runs_discmeta_support.h"

namespace quarnel {
namespace {

using namespace fixtures;

const std::string kPlaylist =
    "<Playlist displayName=\"Disc\"><MediaAttributeList>\n"
    "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n"
    "<AudioAttributeItem index=\"1\" codec=\"DD\" channels=\"2\"/>\n"
    "</MediaAttributeList><TitleSet timeBase=\"60fps\" tickBase=\"24fps\">\n"
    "<Title displayName=\"Feature\" titleDuration=\"00:00:10:00\">\n"
    "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\">\n"
    "<Video track=\"1\" mediaAttr=\"1\"/>\n"
    "<Audio track=\"1\" streamNumber=\"1\" mediaAttr=\"1\" description=\"Main\"/>\n"
    "</PrimaryAudioVideoClip><TrackNavigationList><AudioTrack track=\"1\" langcode=\"en:01\"/>"
    "</TrackNavigationList><ChapterList>\n"
    "<Chapter titleTimeBegin=\"00:00:00:00\" displayName=\"Start\"/>\n"
    "</ChapterList></Title></TitleSet></Playlist>\n";

Bytes twoStreams() {
    return buildProgramStream(
        {mpeg2Video(0xE0, 30, 2000, 90000), audio(EsKind::Ac3, 0x80, 30, 500, 90000, 1),
         audio(EsKind::Ac3, 0x81, 30, 500, 90000, 2), subpicture(0x20, 2, 300, 90000, 3)},
        {});
}

TEST(Requests, TheCommandLineAndTheWindowAskTheSameForTheSameChoices) {
    DiscFixture window, cli;
    for (DiscFixture* f : {&window, &cli}) {
        f->source("FEATURE_1.EVO", twoStreams());
        f->model.options.outputDir = window.dir.file("out");
        f->read();
    }
    window.model.boxes.audio[1].ticked = false;  // the window: one box unticked
    std::string error;
    ASSERT_TRUE(cli.model.chooseStreams({"v0", "a00", "s00"}, error)) << error;
    Request fromWindow = window.model.request(), fromCli = cli.model.request();
    fromCli.title = fromWindow.title;  // two folders, one file name
    EXPECT_EQ(fromWindow, fromCli);
    ASSERT_EQ(fromWindow.streams.size(), 3u);
    EXPECT_EQ(fromWindow.streams[1].id, 0x80);
    EXPECT_EQ(fromWindow.streams[1].name, "DD.stream.00");
    EXPECT_FALSE(cli.model.chooseStreams({"a02"}, error));
    EXPECT_EQ(error, "stream a02 is not in the source");
}

// The plan of a Make MKV of the EVO chosen last after the buttons were pressed in the order given.
struct PlanAfter : DiscFixture {
    explicit PlanAfter(const std::vector<std::string>& presses) {
        writeFile(evoPath("FEATURE_1.EVO"), twoStreams());
        writeFile(evoPath("EXTRA_1.EVO"), twoStreams());
        choosePlaylist(kPlaylist);
        model.options.outputDir = dir.file("out");
        model.options.mkvPlanOnly = true;
        for (const std::string& press : presses) {
            if (press.ends_with(".EVO")) chooseEvo(press);
            if (press == "read") read();
            if (press == "playlist") {
                model.playlistPath = dir.file("ADV_OBJ/VPLST000.XPL");
                runs::readPlaylist(model, host);
            }
        }
        runs::makeMkv(model, host);
        EXPECT_EQ(model.lastError, "");
        plan = nlohmann::json::parse(model.run.mkvPlan);
        plan.erase("output");
        for (auto& track : plan["tracks"])
            track.erase("file"), track.erase("timestamps");  // in each test's folder
    }
    nlohmann::json plan;
};

TEST(Requests, MakeMkvTakesOnlyThePlaylistOfItsSourceWhateverTheOrderOfTheButtons) {
    // The playlist names FEATURE_1: its Make MKV has the playlist's title, chapters and
    // languages whether the playlist was read, before or after the source, or not at all (it
    // lies beside the source, as the command line finds it).
    const std::vector<std::vector<std::string>> orders = {
        {"read"}, {"playlist", "read"}, {"read", "playlist"}, {"playlist"}};
    for (const auto& order : orders) {
        std::vector<std::string> presses = {"FEATURE_1.EVO"};
        presses.insert(presses.end(), order.begin(), order.end());
        const PlanAfter p(presses);
        EXPECT_EQ(p.plan["title"], "Feature");
        EXPECT_EQ(p.plan["chapters"].size(), 1u);
        EXPECT_EQ(p.plan["tracks"][1]["language"], "en");
    }
    // It names no clip of EXTRA_1: not used, whatever was read before, and said so.
    const PlanAfter earlier({"FEATURE_1.EVO", "playlist", "read", "EXTRA_1.EVO", "read"});
    EXPECT_TRUE(
        earlier.logged("The playlist names no clip of EXTRA_1.EVO: its title, names, languages and "
                       "chapters are not used."));
    const PlanAfter alone({"EXTRA_1.EVO", "read"});
    EXPECT_EQ(earlier.plan, alone.plan);
    EXPECT_EQ(alone.plan.value("title", ""), "");
}

}  // namespace
}  // namespace quarnel
