// SPDX-License-Identifier: GPL-3.0-or-later
// The text side of subtitles read by recognition: the usual confusions undone per language
// (and correct text left alone), and the .srt layout with times rounded to the millisecond.
#include <gtest/gtest.h>

#include "formats/ocr/ocr_cleanup.h"
#include "formats/ocr/ocr_languages.h"
#include "formats/subtitles/srt_writer.h"

namespace quarnel {
namespace {

TEST(OcrCleanup, UsualConfusionsAreUndoneAndCorrectTextStays) {
    const std::pair<const char*, const char*> english[] = {
        {"| know what l saw.", "I know what I saw."},
        {"|'m here , right ?", "I'm here, right?"},
        {"He|lo, g0od C0ME", "Hello, good COME"},
        {"It's 10:45, l0 0r 20 ... ok", "It's 10:45, l0 0r 20 ... ok"},
        {"Wait... what? \"Fine!\" - 2.5 l-m", "Wait... what? \"Fine!\" - 2.5 l-m"},
    };
    for (const auto& [read, meant] : english) EXPECT_EQ(cleanOcrLine(read, "eng"), meant) << read;
    EXPECT_EQ(cleanOcrLine("|'homme , n'est-ce pas ? Oui !", "fra"), "l'homme, n'est-ce pas ? Oui !");
    EXPECT_EQ(cleanOcrLine("Ich bin l , ok", "deu"), "Ich bin l, ok");
    EXPECT_EQ(cleanOcrLine("caf\xC3\xA9"
                           "0 | x",
                           "jpn"),
              "caf\xC3\xA9"
              "0 | x");
}

TEST(SrtText, CuesNumberedFromOneWithMillisecondTimes) {
    const std::vector<SrtCue> cues = {{90000, 180045, {"One", "Two"}},
                                      {3600 * 90000ull * 100 + 44, 3600 * 90000ull * 100 + 46, {}}};
    EXPECT_EQ(srtText(cues),
              "1\n00:00:01,000 --> 00:00:02,001\nOne\nTwo\n\n"
              "2\n100:00:00,000 --> 100:00:00,001\n\n");
    EXPECT_EQ(ocrLanguageFor("", "fr"), "fra");
    EXPECT_EQ(ocrLanguageFor("de", "fr"), "deu");
    EXPECT_EQ(ocrLanguageFor("", "xx"), "eng");
    EXPECT_EQ(ocrLanguagePackage("chi_sim"), "tesseract-ocr-chi-sim");
    EXPECT_FALSE(validOcrLanguage("../eng"));
}

}  // namespace
}  // namespace quarnel
