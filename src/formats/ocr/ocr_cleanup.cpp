// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ocr/ocr_cleanup.h"

#include <cctype>
#include <cstring>

namespace quarnel {
namespace {

// Bytes of UTF-8 sequences count as letters: a zero between "é" and "t" is in a word too.
bool letter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
}
bool upper(char c) {
    return std::isupper(static_cast<unsigned char>(c));
}

const OcrCleanupRules* rulesFor(const std::string& language) {
    for (const OcrCleanupRules& r : kOcrCleanupRules)
        if (language == r.language) return &r;
    return nullptr;
}

// A word of one character standing alone: at the start of the line or after a blank or a
// dash, at the end of the line or before a blank or punctuation.
bool alone(const std::string& s, size_t i) {
    const bool before = i == 0 || s[i - 1] == ' ' || s[i - 1] == '-' || s[i - 1] == '"';
    const bool after = i + 1 == s.size() || std::strchr(" ,.!?;:'\"", s[i + 1]) != nullptr;
    return before && after;
}

}  // namespace

std::string cleanOcrLine(const std::string& line, const std::string& language) {
    const OcrCleanupRules* rules = rulesFor(language);
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const char prev = i > 0 ? line[i - 1] : ' ', next = i + 1 < line.size() ? line[i + 1] : ' ';
        if (c == '|' && rules && rules->loneBar && alone(line, i)) {
            out += rules->loneBar;
        } else if (c == '|' && (letter(prev) || letter(next))) {
            out += 'l';  // a bar inside a word is its l
        } else if (c == 'l' && rules && rules->loneL && alone(line, i)) {
            out += rules->loneL;
        } else if (c == '0' && letter(prev) && letter(next)) {
            out += upper(prev) && upper(next) ? 'O' : 'o';
        } else if (c == ' ' && rules && next != '\0' && std::strchr(rules->noBlankBefore, next) &&
                   !out.empty() && out.back() != ' ' &&
                   !(next == '.' && i + 2 < line.size() && line[i + 2] == '.')) {
            // a blank read before punctuation; an ellipsis may stand apart on purpose
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace quarnel
