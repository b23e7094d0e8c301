// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "runs_discmeta_support.h"

namespace quarnel {
namespace {

using namespace fixtures;

const std::string kTwoChapters =
    "<Title displayName=\"T\"><Chapter titleTimeBegin=\"00:00:01:30\" displayName=\"One\"/>"
    "<Chapter titleTimeBegin=\"00:10:00:06\" displayName=\"Two\"/></Title>";

std::string text(const std::string& path) {
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

struct ChapterExport : ::testing::Test {
    DiscFixture f;
    void readPlaylist(const std::string& xpl = kTwoChapters) {
        f.chooseEvo("FEATURE_1.EVO");
        f.choosePlaylist(xpl);
        runs::readPlaylist(f.model, f.host);
        ASSERT_TRUE(f.model.buttons.writeChapters);
    }
};

TEST_F(ChapterExport, WritesEveryLineWithCrLfAndNothingElse) {
    readPlaylist();
    f.model.options.outputDir = f.dir.file("out");
    std::filesystem::create_directories(f.model.options.outputDir);
    runs::writeChapters(f.model, f.host);
    const std::string name = f.dir.file("out/FEATURE_1.chapters.txt");
    EXPECT_EQ(
        text(name),
        "CHAPTER01=00:00:01.502\r\nCHAPTER01NAME=One\r\nCHAPTER02=00:10:00.700\r\nCHAPTER02NAME=Two\r\n");
    EXPECT_TRUE(f.logged("Chapters info writed to " + name));
    EXPECT_TRUE(f.model.buttons.writeChapters);

    // A trailing separator is not doubled; a second export replaces the first file.
    f.model.options.outputDir += "/";
    readPlaylist(
        "<Title displayName=\"T\"><Chapter titleTimeBegin=\"00:00:00:00\" displayName=\"Only\"/></Title>");
    runs::writeChapters(f.model, f.host);
    EXPECT_EQ(text(name), "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Only\r\n");
    EXPECT_TRUE(f.logged("Chapters info writed to " + name));
}

TEST_F(ChapterExport, WithoutAnOutputFolderTheFileLandsInTheCurrentFolder) {
    readPlaylist();
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(f.dir.path());
    runs::writeChapters(f.model, f.host);
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(f.logged("Chapters info writed to FEATURE_1.chapters.txt"));
    EXPECT_TRUE(std::filesystem::exists(f.dir.file("FEATURE_1.chapters.txt")));
}

TEST_F(ChapterExport, WithoutAnEvoFileItIsRefused) {
    f.choosePlaylist(kTwoChapters);
    runs::readPlaylist(f.model, f.host);
    f.model.options.outputDir = f.dir.path();
    runs::writeChapters(f.model, f.host);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_NE(f.host.errors[0].find("No EVO file is chosen"), std::string::npos);
    EXPECT_EQ(f.model.lastError, f.host.errors[0]);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file(".chapters.txt")));
    EXPECT_TRUE(f.model.buttons.writeChapters);
}

TEST_F(ChapterExport, AFileThatCannotBeCreatedIsReportedAndTheButtonComesBack) {
    readPlaylist();
    writeFile(f.dir.file("a-file"), {1});
    f.model.options.outputDir = f.dir.file("a-file/below");  // a folder that cannot be made
    runs::writeChapters(f.model, f.host);
    ASSERT_EQ(f.host.errors.size(), 1u);
    EXPECT_NE(f.host.errors[0].find("Cannot create file"), std::string::npos);
    EXPECT_TRUE(f.model.buttons.writeChapters);
    EXPECT_FALSE(f.model.runActive);
}

}  // namespace
}  // namespace quarnel
