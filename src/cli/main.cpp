// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli: the engine's operations from a terminal, for batch work.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/discmeta_commands.h"
#include "cli/json_report.h"
#include "cli/subs_command.h"
#include "cli/terminal_host.h"
#include "io/files.h"
#include "report/message_log.h"
#include "report/text_format.h"
#include "app/session.h"
#include "runs/operations.h"
#include "quarnel_version.h"

namespace quarnel {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Ticks exactly the listed streams ("v0", "a03", "s17"); each must have been found.
bool selectStreams(Session& m, const std::vector<std::string>& list, std::string& error) {
    for (auto& b : m.boxes.video) b.ticked = false;
    for (auto& b : m.boxes.audio) b.ticked = false;
    for (auto& b : m.boxes.sub) b.ticked = false;
    for (const std::string& token : list) {
        StreamBox* box = nullptr;
        if (token.size() >= 2 && token.find_first_not_of("0123456789", 1) == std::string::npos) {
            const int k = std::stoi(token.substr(1));
            if (token[0] == 'v' && token.size() == 2 && k < kUsedVideoBoxes) box = &m.boxes.video[k];
            if (token[0] == 'a' && token.size() == 3 && k < kAudioBoxes) box = &m.boxes.audio[k];
            if (token[0] == 's' && token.size() == 3 && k < kSubBoxes) box = &m.boxes.sub[k];
        }
        if (!box) {
            error = "unknown stream " + token + " (use v0 v1 a00..a15 s00..s31 or all)";
            return false;
        }
        if (!box->enabled) {
            error = "stream " + token + " is not in the source";
            return false;
        }
        box->ticked = true;
    }
    m.updateRunButtons();
    return true;
}

// The exit status of a command that ran: 128 + the signal that stopped it, 1 when an error
// did (or the log could not be written), else 0.
int finish(Session& m, TerminalHost& host) {
    host.pumpEvents();  // a signal that came after the run's last look
    if (const int sig = caughtSignal(); sig != 0) {
        if (!m.run.interrupted) MessageLog(host).log("Interrupted.");
        host.endProgress();
        std::fflush(stdout);
        return 128 + sig;
    }
    host.endProgress();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "quarnel-cli: Cannot write the standard output. %s\n", systemReason(errno).c_str());
        return kExitFailed;
    }
    if (m.lastError.empty()) return kExitDone;
    if (!host.errorShown()) std::fprintf(stderr, "quarnel-cli: %s\n", escapeControls(m.lastError).c_str());
    return kExitFailed;
}

int runCommand(const CliArgs& args) {
    TerminalHost host(args.markup, args.json, args.quiet, args.color);
    Session m;
    host.attach(&m);
    installInterruptHandler();
    m.options = args.options;
    if (!m.options.outputDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(m.options.outputDir, ec);
        if (ec) {
            std::fprintf(stderr, "quarnel-cli: Cannot create folder \"%s\". %s.\n", m.options.outputDir.c_str(),
                         ec.message().c_str());
            return kExitFailed;
        }
    }
    if (args.command == "subs") {
        const bool converted = runSubsCommand(args, host, m.run);
        if (args.json && caughtSignal() == 0) std::fputs(jsonCommandReport("subs", m, host.collected()).c_str(), stdout);
        const int status = finish(m, host);
        return status == kExitDone && !converted ? kExitFailed : status;
    }
    if (isDiscmetaCommand(args.command)) {
        const std::string error = runDiscmetaCommand(m, host, args);
        if (error.empty()) {
            if (args.json && m.lastError.empty() && caughtSignal() == 0)
                std::fputs(jsonCommandReport(args.command, m, host.collected()).c_str(), stdout);
            return finish(m, host);
        }
        std::fflush(stdout);
        std::fprintf(stderr, "quarnel-cli: %s\n", error.c_str());
        return kExitFailed;
    }
    m.sourcePath = args.source;
    m.sourceChanged();
    if (args.command == "mkv") {
        // The playlist first: a Read leaves its stream names, languages and chapters alone.
        const bool chosen = !args.playlist.empty();
        if (chosen) {
            m.playlistPath = args.playlist;
            m.playlistChanged();
        }
        if (chosen || (m.playlistPath != kPlaylistName && fileExists(m.playlistPath))) {
            runs::readPlaylist(m, host);
            if (!m.lastError.empty()) return finish(m, host);
        }
    }

    m.options.autoProcess = AutoProcess::None;
    runs::read(m, host);
    if (!m.lastError.empty()) return finish(m, host);
    if (args.command == "read") {
        if (args.json && caughtSignal() == 0) std::fputs(jsonReport(m, host.collected()).c_str(), stdout);
        return finish(m, host);
    }

    if (args.streams) {
        std::string error;
        if (!selectStreams(m, *args.streams, error)) {
            std::fflush(stdout);
            std::fprintf(stderr, "quarnel-cli: %s\n", error.c_str());
            return kExitFailed;
        }
    }
    if (args.command == "demux") {
        // The window's Demux button stays disabled without a ticked box; here that is an error.
        if (!m.boxes.anyTicked()) {
            std::fflush(stdout);
            std::fprintf(stderr, "quarnel-cli: No stream is ticked: there is nothing to demux.\n");
            return kExitFailed;
        }
        runs::demux(m, host);
    } else if (args.command == "rebuild") {
        runs::rebuild(m, host);
    } else if (args.command == "mkv") {
        runs::makeMkv(m, host);
    }
    if (args.json && m.lastError.empty() && caughtSignal() == 0)
        std::fputs(jsonReport(m, host.collected()).c_str(), stdout);
    return finish(m, host);
}

}  // namespace
}  // namespace quarnel

int main(int argc, char** argv) {
    using namespace quarnel;
    openClosedStandardDescriptors();
    const ParsedArgs parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.args.help) {
        std::fputs(commandHelpText(parsed.args.command).c_str(), stdout);
        return kExitDone;
    }
    if (parsed.args.version) {
        std::printf("quarnel-cli %s\n", QUARNEL_VERSION);
        return kExitDone;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "quarnel-cli: %s\n%s\n", parsed.error.c_str(), usageHint(parsed.args.command).c_str());
        return kExitUsage;
    }
    return runCommand(parsed.args);
}
