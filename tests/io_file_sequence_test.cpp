// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/temp_dir.h"
#include "io/file_sequence.h"

namespace quarnel {
namespace {

struct Folder : fixtures::TempDir {
    std::string touch(const std::string& name) {
        const std::string p = file(name);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fclose(f);
        return p;
    }
};

TEST(FileSequence, CutExtRemovesOnlyTheLastExtensionOfTheName) {
    EXPECT_EQ(withoutExtension("FEATURE_1.EVO"), "FEATURE_1");
    EXPECT_EQ(withoutExtension("a.b.EVO"), "a.b");
    EXPECT_EQ(withoutExtension("NOEXT"), "NOEXT");
    EXPECT_EQ(withoutExtension("/disc.d/NOEXT"), "/disc.d/NOEXT");
    EXPECT_EQ(withoutExtension("/disc/F.EVO"), "/disc/F");
}

TEST(FileSequence, DigitAfterTheUnderscore) {
    Folder d;
    const std::string one = d.touch("FEATURE_1.EVO");
    EXPECT_EQ(nextInSequence(one), "");
    const std::string two = d.touch("FEATURE_2.EVO");
    EXPECT_EQ(nextInSequence(one), two);
    EXPECT_EQ(nextInSequence(two), "");
}

TEST(FileSequence, ZeroThenDigitAfterTheUnderscore) {
    Folder d;
    EXPECT_EQ(nextInSequence(d.touch("FEATURE_01.EVO")), "");
    const std::string second = d.touch("FEATURE_02.EVO");  // made before nextInSequence looks
    EXPECT_EQ(nextInSequence(d.file("FEATURE_01.EVO")), second);
}

TEST(FileSequence, ADvdTitleSetGoesOnWithItsOwnNextPartOnly) {
    Folder d;
    const std::string menu = d.touch("VTS_01_0.VOB");
    const std::string first = d.touch("VTS_01_1.VOB");
    d.touch("VTS_02_1.VOB");  // another title set, often the extras
    EXPECT_EQ(nextInSequence(first), "") << "VTS_02_1.VOB must not follow";
    const std::string second = d.touch("VTS_01_2.VOB");
    EXPECT_EQ(nextInSequence(first), second);
    EXPECT_EQ(nextInSequence(menu), "") << "the menu starts no sequence";
    EXPECT_EQ(sequenceFrom(first, true), (std::vector<std::string>{first, second}));
    const std::string nine = d.touch("VTS_01_9.VOB");
    d.touch("VTS_02_9.VOB");
    EXPECT_EQ(nextInSequence(nine), "");

    const std::string audio = d.touch("ATS_01_1.AOB");
    d.touch("ATS_02_1.AOB");
    EXPECT_EQ(nextInSequence(audio), "");
    const std::string audio2 = d.touch("ATS_01_2.AOB");
    EXPECT_EQ(nextInSequence(audio), audio2);

    // A disc copied with lower-case names is the same set, in its own case.
    const std::string lower = d.touch("vts_03_1.vob");
    d.touch("vts_04_1.vob");
    EXPECT_EQ(nextInSequence(lower), "") << "vts_04_1.vob must not follow";
    const std::string lower2 = d.touch("vts_03_2.vob");
    EXPECT_EQ(nextInSequence(lower), lower2);
}

TEST(FileSequence, DigitBeforeTheUnderscoreWinsOverTheOthers) {
    Folder d;
    EXPECT_EQ(nextInSequence(d.touch("L0_mainMovie.EVO")), "");
    const std::string layer1 = d.touch("L1_mainMovie.EVO");  // made before nextInSequence looks
    EXPECT_EQ(nextInSequence(d.file("L0_mainMovie.EVO")), layer1);
    const std::string a = d.touch("A1_1.EVO");
    d.touch("A1_2.EVO");
    const std::string raised = d.touch("A2_1.EVO");
    EXPECT_EQ(nextInSequence(a), raised);
}

TEST(FileSequence, NineHasNoSuccessorAndDivideIsTheFallback) {
    Folder d;
    const std::string nine = d.touch("FEATURE_9.EVO");
    d.touch("FEATURE_10.EVO");
    EXPECT_EQ(nextInSequence(nine), "");
    const std::string divide = d.touch("FEATURE_9_Divide.EVO");
    EXPECT_EQ(nextInSequence(nine), divide);
    const std::string movie = d.touch("MOVIE.VOB");
    EXPECT_EQ(nextInSequence(movie), "");
    const std::string movieDivide = d.touch("MOVIE_Divide.EVO");
    EXPECT_EQ(nextInSequence(movie), movieDivide);
}

TEST(FileSequence, AFolderIsNoCandidateAndAnUnderscoreFirstHasNothingBefore) {
    Folder d;
    std::filesystem::create_directories(d.file("FEATURE_2.EVO"));
    EXPECT_EQ(nextInSequence(d.touch("FEATURE_1.EVO")), "");
    EXPECT_EQ(nextInSequence(d.touch("_1.EVO")), "");
    d.touch("_2.EVO");
    EXPECT_EQ(nextInSequence(d.file("_1.EVO")), d.file("_2.EVO"));
}

}  // namespace
}  // namespace quarnel
