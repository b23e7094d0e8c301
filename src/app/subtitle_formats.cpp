// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/subtitle_formats.h"

#include "formats/ocr_engine.h"
#include "formats/ocr_languages.h"

namespace quarnel {
namespace {

struct FormatName {
    const char* name;
    bool SubtitleFormats::*chosen;
};
constexpr FormatName kFormatNames[] = {
    {"sup", &SubtitleFormats::sup}, {"pgs", &SubtitleFormats::pgs}, {"vobsub", &SubtitleFormats::vobsub},
    {"bdn", &SubtitleFormats::bdn}, {"srt", &SubtitleFormats::srt},
};
constexpr const char* kFormatChoice = " (use sup, pgs, vobsub, bdn, srt)";

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
        if (token == "srt" && !ocrAvailable()) return ocrUnavailableReason();
        bool known = false;
        for (const FormatName& f : kFormatNames)
            if (token == f.name) {
                chosen.*f.chosen = known = any = true;
            }
        if (!known) return "unknown subtitle format " + token + kFormatChoice;
        token.clear();
    }
    if (!any) return std::string("no subtitle format given") + kFormatChoice;
    into = chosen;
    return {};
}

}  // namespace quarnel
