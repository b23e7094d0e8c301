// quarnel-cli's command line: the command, its source and the options that mirror the
// window's, with the window's defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options.h"

namespace quarnel {

struct CliArgs {
    std::string command;
    std::string source;
    Options options;
    std::optional<std::vector<std::string>> streams;  // none: every stream found
    std::string playlistSource;                        // --source EVO (xpl, chapters)
    bool markup = false;
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

}  // namespace quarnel
