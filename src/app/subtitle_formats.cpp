// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/subtitle_formats.h"

namespace quarnel {
namespace {

struct FormatName {
    const char* name;
    bool SubtitleFormats::*chosen;
};
constexpr FormatName kFormatNames[] = {
    {"sup", &SubtitleFormats::sup},
    {"pgs", &SubtitleFormats::pgs},
    {"vobsub", &SubtitleFormats::vobsub},
    {"bdn", &SubtitleFormats::bdn},
};

}  // namespace

std::string SubtitleFormats::list() const {
    std::string out;
    for (const FormatName& f : kFormatNames)
        if (this->*f.chosen) out += (out.empty() ? "" : ",") + std::string(f.name);
    return out;
}

std::string parseSubtitleFormats(std::string_view list, SubtitleFormats& into) {
    SubtitleFormats chosen{.sup = false};
    bool any = false;
    std::string token;
    for (size_t i = 0; i <= list.size(); ++i) {
        const char c = i < list.size() ? list[i] : ',';
        if (c != ',' && c != ' ') {
            token += c;
            continue;
        }
        if (token.empty()) continue;
        if (token == "srt") return "srt needs character recognition (OCR), which this build does not have";
        bool known = false;
        for (const FormatName& f : kFormatNames)
            if (token == f.name) {
                chosen.*f.chosen = known = any = true;
            }
        if (!known) return "unknown subtitle format " + token + " (use sup, pgs, vobsub, bdn)";
        token.clear();
    }
    if (!any) return "no subtitle format given (use sup, pgs, vobsub, bdn)";
    into = chosen;
    return {};
}

}  // namespace quarnel
