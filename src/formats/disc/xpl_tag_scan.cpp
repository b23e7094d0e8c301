// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/xpl_tag_scan.h"

#include <algorithm>

namespace quarnel {

void scanTags(TagScan& s, std::span<const uint8_t> bytes, std::vector<std::string>& tags) {
    for (const uint8_t c : bytes) {
        if (c == '<') {
            s.insideTag = true;
            ++s.depth;
        }
        if (s.insideTag) {
            if (c >= 0x20)
                s.line += char(c);
            else if (s.line.empty() || s.line.back() != ' ')
                s.line += ' ';
        }
        if (c == '/' && s.last == '<') {  // a closing tag: one level up, one indent less
            s.depth -= 2;
            if (s.depth < kMaxIndentLevels) s.line.erase(0, std::min<size_t>(2, s.line.size()));
        }
        // A ">" in the text between tags ends nothing.
        if (c == '>' && s.insideTag) {
            s.insideTag = false;
            s.listBytes += s.line.size();
            tags.push_back(s.line);
            s.line.clear();
            if (s.last == '/' || s.last == '?') --s.depth;        // empty element, processing instruction
            if (s.last == '-' && s.beforeLast == '-') --s.depth;  // end of a comment
            if (s.depth > 0) s.line.assign(size_t(std::min(s.depth, kMaxIndentLevels)) * 2, ' ');
        }
        s.beforeLast = s.last;
        s.last = c;
    }
}

}  // namespace quarnel
