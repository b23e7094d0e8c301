// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli xpl, chapters and vti: the disc's playlist and title set information.
#pragma once

#include <string>

#include "app/session.h"
#include "cli/arguments.h"
#include "runs/operations.h"

namespace quarnel {

bool isDiscmetaCommand(const std::string& command);
// Runs the command on a fresh model; returns an error of the command line's own (an empty
// text when there is none; the model's errors are in lastError()).
std::string runDiscmetaCommand(Session& m, Host& host, const CliArgs& args);

}  // namespace quarnel
