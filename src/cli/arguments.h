// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli's command line: the command, its source and the options that mirror the
// window's, with the window's defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/track_metadata.h"

namespace quarnel {

struct CliArgs {
    std::string command;
    std::string source;
    Options options;
    std::optional<std::vector<std::string>> streams;  // none: every stream found
    std::string playlistSource;                       // --source EVO (xpl, chapters)
    std::string playlist;                             // --xpl FILE (mkv)
    // A disc's title: --title N (none: the longest), --angle K; mkv --all-titles of at least
    // --min-length seconds.
    std::optional<int> title;
    int angle = 1;
    bool allTitles = false;
    double minLength = 0;
    TrackEdits trackEdits;  // mkv: --track-name, --language, --default, --forced
    // subs: the .sup files, the formats they become, and the picture they stand on.
    std::vector<std::string> supFiles;
    SubtitleFormats convertTo{.sup = false};
    std::optional<int> canvasWidth, canvasHeight;
    std::string frameRate;  // a name of kFrameRates; "" for the default
    std::string ifo;        // --ifo: the title set's IFO the .sup files come from
    bool markup = false;
    bool quiet = false;          // -q: errors only
    std::string color = "auto";  // --color: auto, always, never
    bool json = false;
    bool help = false;
    bool version = false;
};

struct ParsedArgs {
    CliArgs args;
    std::string error;  // a usage error, empty when the line was understood
};

ParsedArgs parseArguments(const std::vector<std::string>& argv);

// The help text: commands, options (with their defaults from the option table), exit status.
const std::string& usageText();
// One command's help: its usage line and text, then the options.
std::string commandHelpText(const std::string& command);
// The line that follows a usage error: "try 'quarnel-cli demux --help'".
std::string usageHint(const std::string& command);

}  // namespace quarnel
