#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::Lines;

TEST(SubpictureAnalyser, TellsTheRunLengthCodingByTheFirstWord) {
    EXPECT_EQ(test::logOf(analyseSubpicture, test::inputOf(test::snippet("dvdsub.bin"))),
              (Lines{"   Format = [bl]2bitRLE[/bl]"}));
    EXPECT_EQ(test::logOf(analyseSubpicture, test::inputOf({0x00, 0x00, 0x00, 0x00, 0x1A, 0x2B})),
              (Lines{"   Format = [bl]8bitRLE[/bl]"}));
    EXPECT_TRUE(test::logOf(analyseSubpicture, test::inputOf({0x00})).empty());
}

}  // namespace
}  // namespace quarnel
