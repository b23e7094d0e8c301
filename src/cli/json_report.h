// SPDX-License-Identifier: GPL-3.0-or-later
// The Read run's results as JSON: the stream boxes, the stream table and the timings.
#pragma once

#include <string>

#include <nlohmann/json.hpp>
#include <vector>

namespace quarnel {

struct Session;

std::string jsonReport(const Session& m, const std::vector<std::string>& logLines);
// xpl, chapters, vti, subs: what the command read and wrote.
// The object a command prints with --json when it fails: schemaVersion, error, exitStatus.
std::string jsonErrorReport(const std::string& error, int exitStatus);
// The report of quarnel-cli titles: the disc and its titles (as `titles` holds them) and the log.
std::string jsonTitlesReport(const nlohmann::ordered_json& titles, const std::vector<std::string>& logLines);
std::string jsonCommandReport(const std::string& command, const Session& m,
                              const std::vector<std::string>& logLines);

}  // namespace quarnel
