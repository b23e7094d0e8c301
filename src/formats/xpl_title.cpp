// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/xpl_title.h"

#include "formats/xpl_attributes.h"

namespace quarnel {

void trimToTitle(std::vector<std::string>& tags, const std::string& evoKey) {
    if (evoKey.empty()) return;
    size_t keyLine = 0;
    while (keyLine < tags.size() && tags[keyLine].find(evoKey) == std::string::npos) ++keyLine;
    if (keyLine == 0 || keyLine == tags.size()) return;
    for (size_t k = keyLine; k-- > 0;) {
        if (containsUpper(tags[k], "<TITLE ")) {
            tags.erase(tags.begin(), tags.begin() + std::ptrdiff_t(k));
            break;
        }
    }
    for (size_t k = 0; k < tags.size(); ++k) {
        if (containsUpper(tags[k], "</TITLE")) {
            tags.erase(tags.begin() + std::ptrdiff_t(k) + 1, tags.end());
            break;
        }
    }
}

}  // namespace quarnel
