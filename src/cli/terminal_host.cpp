// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal_host.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/session.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

volatile std::sig_atomic_t signalled = 0;  // the signal caught, taken by pumpEvents

void onSignal(int sig) {
    if (signalled != 0) ::_exit(128 + sig);  // asked twice: at once
    signalled = sig;
}

// The 16 colours every terminal has (the usual xterm values), by their SGR codes.
struct BasicColour {
    int code;
    uint32_t rgb;
};
constexpr BasicColour kBasicColours[] = {
    {30, 0x000000}, {31, 0xCD0000}, {32, 0x00CD00}, {33, 0xCDCD00}, {34, 0x0000EE}, {35, 0xCD00CD},
    {36, 0x00CDCD}, {37, 0xE5E5E5}, {90, 0x7F7F7F}, {91, 0xFF0000}, {92, 0x00FF00}, {93, 0xFFFF00},
    {94, 0x5C5CFF}, {95, 0xFF00FF}, {96, 0x00FFFF}, {97, 0xFFFFFF},
};

int nearestBasicColour(uint32_t rgb) {
    const auto distance = [rgb](uint32_t other) {
        int d = 0;
        for (int shift : {16, 8, 0}) {
            const int delta = int((rgb >> shift) & 0xFF) - int((other >> shift) & 0xFF);
            d += delta * delta;
        }
        return d;
    };
    const BasicColour* best = &kBasicColours[0];
    for (const BasicColour& c : kBasicColours)
        if (distance(c.rgb) < distance(best->rgb)) best = &c;
    return best->code;
}

std::string ansiFor(const TextStyle& s) {
    std::string seq;
    if (s.bold) seq += ";1";
    if (s.italic) seq += ";3";
    if (s.underline) seq += ";4";
    if (s.rgb) seq += ";" + std::to_string(nearestBasicColour(*s.rgb));
    return seq.empty() ? std::string() : "\x1b[" + seq.substr(1) + "m";
}

// Colour on a terminal, unless the user's environment asks for none.
bool wantsColour(const std::string& when) {
    if (when == "always") return true;
    if (when == "never") return false;
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) == 1 && !(noColor && *noColor) && !(term && std::string(term) == "dumb");
}

// QUARNEL_TEST_PAUSE_AT=TEXT: once a log line holding TEXT is written, the next pump waits
// (at most 30 s) for a signal, so that a test can stop a run in a chosen step whatever the
// machine's load.
const char* testPauseText() {
    static const char* text = std::getenv("QUARNEL_TEST_PAUSE_AT");
    return text && *text ? text : nullptr;
}

}  // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int caughtSignal() {
    return signalled;
}

TerminalHost::TerminalHost(bool markup, bool collect, bool quiet, const std::string& color)
    : markup_(markup),
      collect_(collect),
      quiet_(quiet),
      styled_(wantsColour(color)),
      progress_(!quiet && ::isatty(STDERR_FILENO) == 1) {}

void TerminalHost::appendLog(std::string_view markup, const LogLine& line) {
    endProgress();
    if (const char* pause = testPauseText(); pause && line.text.find(pause) != std::string::npos)
        pauseArmed_ = true;
    if (collect_) {
        collected_.push_back(markup_ ? std::string(markup) : line.text);
        return;
    }
    if (quiet_) return;
    std::string out;
    if (markup_) {
        out = markup;
    } else if (!styled_) {
        out = line.text;
    } else {
        for (const auto& run : line.runs) {
            const std::string seq = ansiFor(run.style);
            out += seq + line.text.substr(run.start, run.length) + (seq.empty() ? "" : "\x1b[0m");
        }
    }
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void TerminalHost::setStatus(int panel, const std::string& text) {
    panels_[panel & 1] = text;
    if (panel == 0) percent_ = -1;  // another file or step
    if (!progress_) return;
    // One line, rewritten: "Demuxing FEATURE_2.EVO 41% 1484/3617 Mbytes, Remaining time: 0:00:07".
    const std::string percent = percent_ >= 0 ? " " + std::to_string(percent_) + "%" : "";
    std::fprintf(stderr, "\r\x1b[K%s%s %s", panels_[0].c_str(), percent.c_str(), panels_[1].c_str());
    progressShown_ = true;
}

void TerminalHost::setProgress(uint64_t done, uint64_t total) {
    percent_ = total > 0 ? int(std::min<uint64_t>(100, done * 100 / total)) : -1;
    setStatus(1, panels_[1]);
}

void TerminalHost::endProgress() {
    if (!progressShown_) return;
    std::fflush(stdout);
    std::fprintf(stderr, "\r\x1b[K");
    progressShown_ = false;
}

void TerminalHost::pumpEvents() {
    std::fflush(stdout);
    // QUARNEL_TEST_PUMP_DELAY_MS stretches each step of a run, so that the tests can send a
    // signal in the middle of one without a file of gigabytes.
    static const long delayMs = [] {
        const char* v = std::getenv("QUARNEL_TEST_PUMP_DELAY_MS");
        return v ? std::strtol(v, nullptr, 10) : 0L;
    }();
    if (delayMs > 0 && signalled == 0) ::usleep(useconds_t(delayMs * 1000));
    for (int waited = 0; pauseArmed_ && signalled == 0 && waited < 3000; ++waited) ::usleep(10000);
    pauseArmed_ = false;
    if (signalled != 0 && model_) {
        model_->run.cancel = true;
        model_->run.interrupted = true;
    }
}

void TerminalHost::showError(const std::string& text) {
    endProgress();
    std::fflush(stdout);
    std::fprintf(stderr, "quarnel-cli: %s\n", escapeControls(text).c_str());
    errorShown_ = true;
}

}  // namespace quarnel
