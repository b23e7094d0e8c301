// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/xpl_title.h"

#include "formats/disc/xpl_attributes.h"

namespace quarnel {

bool trimToTitle(std::vector<std::string>& tags, const std::string& evoKey) {
    if (evoKey.empty()) return true;
    // The title open at each line: the last "<Title " line above it, unless a FirstPlayTitle
    // began after that.
    size_t keyLine = 0, titleLine = tags.size();
    bool inFirstPlay = false;
    for (; keyLine < tags.size(); ++keyLine) {
        const std::string& line = tags[keyLine];
        if (containsUpper(line, "<TITLE ")) titleLine = keyLine, inFirstPlay = false;
        if (containsUpper(line, "<FIRSTPLAYTITLE")) inFirstPlay = true;
        if (containsUpper(line, "</FIRSTPLAYTITLE")) inFirstPlay = false;
        if (line.find(evoKey) != std::string::npos && !inFirstPlay) break;
    }
    if (keyLine == tags.size() || keyLine == 0) return false;
    if (titleLine == tags.size()) return false;  // named before any title: not by a clip
    tags.erase(tags.begin(), tags.begin() + std::ptrdiff_t(titleLine));
    for (size_t k = 0; k < tags.size(); ++k) {
        if (containsUpper(tags[k], "</TITLE")) {
            tags.erase(tags.begin() + std::ptrdiff_t(k) + 1, tags.end());
            break;
        }
    }
    return true;
}

bool trimToTitleNumber(std::vector<std::string>& tags, int number) {
    const char* open = number == 0 ? "<FIRSTPLAYTITLE" : "<TITLE ";
    const char* close = number == 0 ? "</FIRSTPLAYTITLE" : "</TITLE";
    int seen = 0;
    size_t begin = 0;
    while (begin < tags.size() && !(containsUpper(tags[begin], open) && (number == 0 || ++seen == number)))
        ++begin;
    if (begin == tags.size()) return false;
    tags.erase(tags.begin(), tags.begin() + std::ptrdiff_t(begin));
    for (size_t k = 0; k < tags.size(); ++k)
        if (containsUpper(tags[k], close)) {
            tags.erase(tags.begin() + std::ptrdiff_t(k) + 1, tags.end());
            break;
        }
    return true;
}

}  // namespace quarnel
