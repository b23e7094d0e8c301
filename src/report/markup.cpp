// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/markup.h"

namespace quarnel {
namespace {

constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kRed = 0xFF0000;

// "c:" followed by hexadecimal digits; the lowest byte is red, then green, then blue.
uint32_t colourTagToRgb(std::string_view digits) {
    uint32_t value = 0;
    for (char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d >= 0) value = value * 16 + uint32_t(d);
    }
    const uint32_t red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
    return red << 16 | green << 8 | blue;
}

void addRun(LogLine& line, size_t start, size_t length, const TextStyle& style) {
    if (length > 0) line.runs.push_back({start, length, style});
}

}  // namespace

TextStyle styleForTag(std::string_view name) {
    TextStyle s;
    if (name == "b")
        s.bold = true;
    else if (name == "i")
        s.italic = true;
    else if (name == "u")
        s.underline = true;
    else if (name == "s1")
        s.points = 10;
    else if (name == "s2")
        s.points = 12;
    else if (name == "bl")
        s.rgb = kBlue;
    else if (name == "re")
        s.rgb = kRed;
    else if (name == "er")
        s.rgb = kRed, s.bold = true;
    else if (name.substr(0, 2) == "c:")
        s.rgb = colourTagToRgb(name.substr(2));
    return s;
}

LogLine parseMarkup(std::string_view message) {
    LogLine line;
    size_t at = 0;         // position in the message
    size_t plainFrom = 0;  // start in the message of the pending plain text
    while (at < message.size()) {
        const size_t open = message.find('[', at);
        if (open == std::string_view::npos) break;
        const size_t close = message.find(']', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view name = message.substr(open + 1, close - open - 1);
        const size_t end = name.empty() || name[0] == '/'
                               ? std::string_view::npos
                               : message.find("[/" + std::string(name) + "]", close + 1);
        if (end == std::string_view::npos) {
            at = open + 1;  // not a tag: the bracket stays in the text
            continue;
        }
        const std::string_view plain = message.substr(plainFrom, open - plainFrom);
        addRun(line, line.text.size(), plain.size(), TextStyle{});
        line.text += plain;
        const std::string_view tagged = message.substr(close + 1, end - close - 1);
        addRun(line, line.text.size(), tagged.size(), styleForTag(name));
        line.text += tagged;
        at = plainFrom = end + name.size() + 3;
    }
    const std::string_view rest = message.substr(plainFrom);
    addRun(line, line.text.size(), rest.size(), TextStyle{});
    line.text += rest;
    return line;
}

}  // namespace quarnel
