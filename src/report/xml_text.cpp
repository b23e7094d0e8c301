// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/xml_text.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace quarnel {
namespace {

struct Entity {
    std::string_view name;
    char character;
};
constexpr std::array<Entity, 5> kEntities = {
    {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};

constexpr uint32_t kLastCodePoint = 0x10FFFF;
constexpr uint32_t kFirstSurrogate = 0xD800, kLastSurrogate = 0xDFFF;

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character a reference between "&" and ";" stands for, appended; false when it names none.
bool appendReference(std::string& out, std::string_view name) {
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        uint32_t c = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), c, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return false;
        if (c == 0 || c > kLastCodePoint || (c >= kFirstSurrogate && c <= kLastSurrogate)) return false;
        appendUtf8(out, c);
        return true;
    }
    for (const Entity& e : kEntities)
        if (e.name == name) {
            out += e.character;
            return true;
        }
    return false;
}

}  // namespace

std::string decodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '&') {
            const size_t semicolon = text.find(';', k);
            if (semicolon != std::string_view::npos &&
                appendReference(out, text.substr(k + 1, semicolon - k - 1))) {
                k = semicolon;
                continue;
            }
        }
        out += text[k];
    }
    return out;
}

std::string escapeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (uint8_t(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
        }
    }
    return out;
}

}  // namespace quarnel
