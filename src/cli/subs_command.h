// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli subs: the .sup files of a Demux converted into the chosen subtitle formats.
#pragma once

#include "app/run_values.h"
#include "cli/arguments.h"
#include "report/host.h"

namespace quarnel {

// Converts every file of args.supFiles; true when all of them converted. A signal (`run`
// interrupted) stops it.
bool runSubsCommand(const CliArgs& args, Host& host, RunValues& run);

}  // namespace quarnel
