// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel-cli: the engine's operations from a terminal, for batch work.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/session.h"
#include "cli/arguments.h"
#include "cli/discmeta_commands.h"
#include "cli/json_report.h"
#include "cli/subs_command.h"
#include "cli/terminal_host.h"
#include "cli/titles_command.h"
#include "io/files.h"
#include "quarnel_version.h"
#include "report/message_log.h"
#include "report/text_format.h"
#include "runs/operations.h"

namespace quarnel {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// What a command told its caller: the error it printed last, and whether a JSON report went to
// stdout (with --json, a command that fails without one prints an error object instead).
struct Outcome {
    std::string error;
    bool jsonPrinted = false;
};
Outcome outcome;

void printError(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "quarnel-cli: %s\n", text.c_str());
    outcome.error = text;
}

void printJson(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    outcome.jsonPrinted = true;
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
        std::fprintf(stderr, "quarnel-cli: Cannot write the standard output. %s\n",
                     systemReason(errno).c_str());
        return kExitFailed;
    }
    if (m.lastError.empty()) return kExitDone;
    outcome.error = escapeControls(m.lastError);
    if (!host.errorShown()) std::fprintf(stderr, "quarnel-cli: %s\n", outcome.error.c_str());
    return kExitFailed;
}

// mkv --all-titles: one MKV per title of at least --min-length seconds, each read with the
// streams asked for; every title is tried, and the first error is the command's.
int allTitlesToMkv(Session& m, TerminalHost& host, const CliArgs& args, const DvdDisc& disc) {
    std::string firstError;
    size_t made = 0;
    for (const DvdTitle& t : disc.titles) {
        if (t.seconds < args.minLength || caughtSignal() != 0) continue;
        CliArgs one = args;
        one.title = t.number;
        if (std::string error = chooseDiscTitle(m, one, disc); !error.empty()) {
            if (firstError.empty()) firstError = error;
            continue;
        }
        m.options.autoProcess = AutoProcess::None;
        runs::read(m, host);
        std::string error;
        if (m.lastError.empty() && args.streams && !m.chooseStreams(*args.streams, error))
            m.lastError = error;
        m.trackEdits = args.trackEdits;
        if (m.lastError.empty()) runs::makeMkv(m, host);
        if (!m.lastError.empty() && firstError.empty()) firstError = m.lastError;
        if (m.lastError.empty()) ++made;
    }
    MessageLog(host).log(std::to_string(made) + " of " + std::to_string(disc.titles.size()) +
                         " titles made into MKVs.");
    m.lastError = firstError;
    return finish(m, host);
}

int runCommand(const CliArgs& args) {
    TerminalHost host(args.markup, args.json, args.quiet, args.color);
    Session m;
    host.attach(&m);
    installInterruptHandler();
    m.options = args.options;
    m.options.commandLine = true;
    if (!m.options.outputDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(m.options.outputDir, ec);
        if (ec) {
            printError("Cannot create folder \"" + m.options.outputDir + "\". " + ec.message() + ".");
            return kExitFailed;
        }
    }
    if (args.command == "subs") {
        const bool converted = runSubsCommand(args, host, m.run);
        if (args.json && caughtSignal() == 0) printJson(jsonCommandReport("subs", m, host.collected()));
        const int status = finish(m, host);
        return status == kExitDone && !converted ? kExitFailed : status;
    }
    if (isDiscmetaCommand(args.command)) {
        const std::string error = runDiscmetaCommand(m, host, args);
        if (error.empty()) {
            if (args.json && m.lastError.empty() && caughtSignal() == 0)
                printJson(jsonCommandReport(args.command, m, host.collected()));
            return finish(m, host);
        }
        printError(error);
        return kExitFailed;
    }
    if (args.command == "titles") {
        nlohmann::ordered_json titles;
        const std::string error = runTitlesCommand(args, host, titles);
        if (!error.empty()) {
            printError(error);
            return kExitFailed;
        }
        if (args.json && caughtSignal() == 0) printJson(jsonTitlesReport(titles, host.collected()));
        return finish(m, host);
    }
    // A disc is read by title: the one asked for, or the longest.
    std::optional<DvdDisc> disc;
    if (isDiscSource(args.source)) {
        if (args.command == "rebuild" && !isHdDvdSource(args.source)) {
            printError("A DVD title cannot be rebuilt: Rebuild writes the EVO files of an HD DVD.");
            return kExitFailed;
        }
        std::string error;
        disc = openDisc(args.source, args.angle, error);
        if (disc) {
            MessageLog log(host);
            logDiscNotes(*disc, log);
        }
        if (disc && args.command == "mkv" && args.allTitles) return allTitlesToMkv(m, host, args, *disc);
        if (disc) error = chooseDiscTitle(m, args, *disc);
        if (!error.empty()) {
            printError(error);
            return kExitFailed;
        }
    } else {
        if (args.title || args.allTitles) {
            printError(
                "--title and --all-titles take a disc (its folder, VIDEO_TS, an IFO file or an .iso image), "
                "not \"" +
                args.source + "\".");
            return kExitUsage;
        }
        m.sourcePath = args.source;
        m.sourceChanged();
    }
    if (args.command == "mkv" && !disc) {
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
        if (args.json && caughtSignal() == 0) printJson(jsonReport(m, host.collected()));
        return finish(m, host);
    }

    if (args.streams) {
        std::string error;
        if (!m.chooseStreams(*args.streams, error)) {
            printError(error);
            return kExitFailed;
        }
    }
    if (args.command == "demux") {
        // The window's Demux button stays disabled without a ticked box; here that is an error.
        if (!m.boxes.anyTicked()) {
            printError("No stream is chosen (--streams): there is nothing to demux.");
            return kExitFailed;
        }
        runs::demux(m, host);
    } else if (args.command == "rebuild") {
        runs::rebuild(m, host);
    } else if (args.command == "mkv") {
        m.trackEdits = args.trackEdits;
        runs::makeMkv(m, host);
    }
    if (args.json && m.lastError.empty() && caughtSignal() == 0) printJson(jsonReport(m, host.collected()));
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
        std::fprintf(stderr, "quarnel-cli: %s\n%s\n", parsed.error.c_str(),
                     usageHint(parsed.args.command).c_str());
        if (parsed.args.json) std::fputs(jsonErrorReport(parsed.error, kExitUsage).c_str(), stdout);
        return kExitUsage;
    }
    const int status = runCommand(parsed.args);
    // With --json a failed command still prints an object: the error and the exit status.
    if (parsed.args.json && status != kExitDone && !outcome.jsonPrinted) {
        const std::string error = status > 128 ? "Interrupted." : outcome.error;
        std::fputs(jsonErrorReport(error, status).c_str(), stdout);
        std::fflush(stdout);
    }
    return status;
}
