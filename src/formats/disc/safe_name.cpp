// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/safe_name.h"

#include <cstdint>
#include <cstring>

namespace quarnel {

std::string safeNamePart(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = uint8_t(ch);
        if (c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", ch)) {
            out += '_';
        } else if (ch == '.' && !out.empty() && out.back() == '.') {
            continue;
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace quarnel
