// SPDX-License-Identifier: GPL-3.0-or-later
// The confusions character recognition makes in subtitle text, undone by a small table per
// language: a lone "|" or "l" read for the word "I", a zero inside a word read for an "o",
// a blank before punctuation that the language sets without one. Text read right stays as it
// is: each rule looks only at what no correct subtitle line holds.
#pragma once

#include <string>

namespace quarnel {

struct OcrCleanupRules {
    const char* language;       // Tesseract code
    const char* loneBar;        // what a "|" standing alone is ("I'm", "l'homme"), nullptr: kept
    const char* loneL;          // what an "l" standing alone is, nullptr: kept (a word of its own)
    const char* noBlankBefore;  // punctuation set straight after a word in this language
};
// clang-format off
constexpr OcrCleanupRules kOcrCleanupRules[] = {
    {"eng", "I",     "I",     ",.!?;:"},
    {"deu", nullptr, nullptr, ",.!?;:"},
    {"spa", nullptr, nullptr, ",.!?;:"},
    {"nld", nullptr, nullptr, ",.!?;:"},
    {"por", nullptr, nullptr, ",.!?;:"},
    {"ita", "l",     nullptr, ",.!?;:"},
    {"fra", "l",     nullptr, ",."},      // French sets a blank before ! ? ; :
};
// clang-format on
// Every language: a "|" inside a word is its "l", a zero between letters its "o" or "O".

// `line` (UTF-8, one line) with the language's rules applied.
std::string cleanOcrLine(const std::string& line, const std::string& language);

}  // namespace quarnel
