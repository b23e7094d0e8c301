// SPDX-License-Identifier: GPL-3.0-or-later
// A disc by title: quarnel-cli titles, and the title that read, demux, rebuild and mkv take
// from a disc (--title, --angle).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "app/session.h"
#include "cli/arguments.h"
#include "formats/disc/dvd_disc.h"
#include "formats/disc/hddvd_disc.h"
#include "report/host.h"
#include "report/message_log.h"

namespace quarnel {

// Lists the disc's titles in the log; `json` receives them in the shape of docs/json.md.
// Returns the error that stopped it, "" when there was none.
std::string runTitlesCommand(const CliArgs& args, Host& host, nlohmann::ordered_json& json);

// The disc's title the command line asks for (--title N, else the longest; --angle K) made the
// session's source. Returns the error that stopped it, "" when there was none.
std::string chooseDiscTitle(Session& m, const CliArgs& args, const DvdDisc& disc);

// What of the disc's navigation could not be read, as red log lines.
void logDiscNotes(const DvdDisc& disc, MessageLog& log);

// The disc at `path`, or an error naming it.
std::optional<DvdDisc> openDisc(const std::string& path, int angle, std::string& error);

}  // namespace quarnel
