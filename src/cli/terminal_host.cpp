#include "cli/terminal_host.h"

#include <unistd.h>

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

std::string ansiFor(const TextStyle& s) {
    std::string seq;
    if (s.bold) seq += ";1";
    if (s.italic) seq += ";3";
    if (s.underline) seq += ";4";
    if (s.rgb) {
        const uint32_t c = *s.rgb;
        seq += ";38;2;" + std::to_string(c >> 16) + ";" + std::to_string((c >> 8) & 0xFF) + ";" +
               std::to_string(c & 0xFF);
    }
    return seq.empty() ? std::string() : "\x1b[" + seq.substr(1) + "m";
}

}  // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int caughtSignal() { return signalled; }

TerminalHost::TerminalHost(bool markup, bool collect)
    : markup_(markup),
      collect_(collect), styled_(::isatty(STDOUT_FILENO) == 1), progress_(::isatty(STDERR_FILENO) == 1) {}

void TerminalHost::appendLog(std::string_view markup, const LogLine& line) {
    endProgress();
    if (collect_) {
        collected_.push_back(markup_ ? std::string(markup) : line.text);
        return;
    }
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
    if (!progress_) return;
    std::fprintf(stderr, "\r\x1b[K%s %s", panels_[0].c_str(), panels_[1].c_str());
    progressShown_ = true;
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
