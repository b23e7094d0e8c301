// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist's first pass: every tag (from "<" to ">") becomes one line of the tag list,
// indented two blanks per nesting level, at most kMaxIndentLevels levels deep. Line breaks and tabs inside a
// tag become single blanks; text between tags is ignored. The state survives chunk boundaries.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quarnel {

constexpr int kMaxIndentLevels = 32;

struct TagScan {
    bool insideTag = false;
    int depth = 0;
    uint64_t listBytes = 0;  // the bytes of the lines appended so far
    std::string line;        // the tag being built, with its indent
    uint8_t last = 0, beforeLast = 0;
};

// Advances the scan over `bytes`, appending each completed tag line to `tags`.
void scanTags(TagScan& s, std::span<const uint8_t> bytes, std::vector<std::string>& tags);

}  // namespace quarnel
