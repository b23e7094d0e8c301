// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/text_format.h"

#include <cmath>
#include <cstdio>

namespace quarnel {
namespace {
constexpr int64_t kMsPerDay = 86400000;
}

std::string hexUpper(uint64_t value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            out += c;
            continue;
        }
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\x%02X", b);
        out += buf;
    }
    return out;
}

std::string formatSpanMs(double seconds, char msSeparator) {
    int64_t ms = int64_t(std::llround(seconds * 1000.0)) % kMsPerDay;
    if (ms < 0) ms += kMsPerDay;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d%c%03d", int(ms / 3600000), int(ms / 60000 % 60),
                  int(ms / 1000 % 60), msSeparator, int(ms % 1000));
    return buf;
}

std::string formatSpan(double seconds) {
    int64_t s = int64_t(std::floor(seconds)) % 86400;
    if (s < 0) s += 86400;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
    return buf;
}

}  // namespace quarnel
