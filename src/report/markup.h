// SPDX-License-Identifier: GPL-3.0-or-later
// The log's inline mark-up: "[b]bold[/b]", "[bl]blue[/bl]" (values), "[re]red[/re]" (time
// stamps and warnings), "[er]bold red[/er]" (the error that stopped a run) and friends, turned
// into a plain line text plus styled runs over it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<uint32_t> rgb;  // 0xRRGGBB; none = the window-text colour
    int points = 8;

    bool operator==(const TextStyle&) const = default;
};

struct StyledRun {
    size_t start = 0;  // character index within the line
    size_t length = 0;
    TextStyle style;

    bool operator==(const StyledRun&) const = default;
};

struct LogLine {
    std::string text;
    std::vector<StyledRun> runs;
};

// A bracketed group is a tag only when its closing tag ("[/name]") follows it; any other
// bracket (a file name such as "Movie [2007].EVO") is kept as text.
LogLine parseMarkup(std::string_view message);

// The style a tag name gives its run.
TextStyle styleForTag(std::string_view name);

}  // namespace quarnel
