// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/xpl_attributes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <optional>

#include "formats/disc/title_time.h"

namespace quarnel {
namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

size_t findNoCase(std::string_view line, std::string_view name) {
    if (name.empty() || name.size() > line.size()) return std::string_view::npos;
    const auto it = std::search(line.begin(), line.end(), name.begin(), name.end(),
                                [](char a, char b) { return upper(a) == upper(b); });
    return it == line.end() ? std::string_view::npos : size_t(it - line.begin());
}

}  // namespace

void getattr(std::string_view line, std::string_view name, std::string& into) {
    const size_t at = findNoCase(line, name);
    if (at == std::string_view::npos) return;
    std::string_view rest = line.substr(at + name.size());
    const size_t eq = rest.find('=');
    const size_t open = eq == std::string_view::npos ? eq : rest.find('"', eq + 1);
    if (open == std::string_view::npos) {
        into.clear();  // the name stands without a quoted value
        return;
    }
    rest = rest.substr(open + 1);
    into = std::string(rest.substr(0, rest.find('"')));
}

int getattrint(std::string_view line, std::string_view name) {
    std::string text;
    getattr(line, name, text);
    if (text.empty()) return 0;
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return 0;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        v = std::min<long long>(v * 10 + (text[i] - '0'), INT_MAX);
    }
    return int(text[0] == '-' ? -v : v);
}

int lenientNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), INT_MAX);
    return int(negative ? -v : v);
}

std::string zeropad(int value, int width) {
    std::string s = std::to_string(value);
    if (int(s.size()) < width) s.insert(0, size_t(width) - s.size(), '0');
    return s;
}

std::string chapterTime(const std::string& begin, std::string_view timeBase) {
    const std::optional<uint64_t> ns = titleTimeNs(begin, timeBaseOf(timeBase).value_or(TimeBase{}));
    if (!ns) {
        // Not a time of the title set's rate: its fields as they stand, the frames as sixtieths.
        const int frames =
            begin.size() > 9 ? std::max(0, lenientNumber(std::string_view(begin).substr(9, 2))) : 0;
        return begin.substr(0, 8) + "." + zeropad(frames * 1000 / 60, 3);
    }
    return chapterTimeOfNs(*ns);
}

std::string chapterTimeOfNs(uint64_t ns) {
    const uint64_t ms = (ns + 500000) / 1000000;
    char text[32];
    std::snprintf(
        text, sizeof text, "%02llu:%02llu:%02llu.%03llu", static_cast<unsigned long long>(ms / 3600000),
        static_cast<unsigned long long>(ms / 60000 % 60), static_cast<unsigned long long>(ms / 1000 % 60),
        static_cast<unsigned long long>(ms % 1000));
    return text;
}

bool containsUpper(std::string_view line, std::string_view upperText) {
    return findNoCase(line, upperText) != std::string_view::npos;
}

Langcode langcodeOf(std::string_view code) {
    Langcode parsed;
    const size_t colon = code.find(':');
    const std::string_view letters = code.substr(0, colon);
    if (letters.size() == 2 && std::isalpha(uint8_t(letters[0])) && std::isalpha(uint8_t(letters[1]))) {
        for (const char c : letters) parsed.language += char(std::tolower(uint8_t(c)));
    }
    if (colon != std::string_view::npos) {
        const std::string_view hex = code.substr(colon + 1);
        int value = 0;
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (error == std::errc() && end == hex.data() + hex.size()) parsed.extension = value;
    }
    return parsed;
}

PlaylistStream playlistStreamOf(std::string_view line) {
    PlaylistStream stream;
    stream.listed = true;
    getattr(line, "langcode", stream.langcode);
    getattr(line, "description", stream.description);
    const Langcode parsed = langcodeOf(stream.langcode);
    stream.language = parsed.language;
    stream.codeExtension = parsed.extension;
    return stream;
}

}  // namespace quarnel
