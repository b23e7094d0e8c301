// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli subs: the .sup files of a Demux converted into the chosen subtitle formats.
#pragma once

#include <string>

#include "app/run_values.h"
#include "cli/arguments.h"
#include "report/host.h"

namespace quarnel {

// Where the outputs of a .sup go: FILEBASE, its name without ".sup", in the output folder or
// beside the file.
std::string subsOutputBase(const std::string& file, const std::string& outDir);

// Outputs that would fall on one another, as the arguments alone show them: two .sup files of
// one base name, or --sub-ext equal to the extension of a converted format. "" when none.
std::string outputClash(const CliArgs& args);

// Converts every file of args.supFiles; true when all of them converted. A signal (`run`
// interrupted) stops it. No file is written when an output of the run would be one of its inputs.
bool runSubsCommand(const CliArgs& args, Host& host, RunValues& run);

}  // namespace quarnel
