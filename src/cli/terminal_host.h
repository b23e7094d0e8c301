// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's host: log lines to stdout, progress to stderr on a terminal; SIGINT and
// SIGTERM interrupt the run.
#pragma once

#include <string>
#include <vector>

#include "report/host.h"

namespace quarnel {

struct Session;

class TerminalHost : public Host {
  public:
    // markup: lines as logged, tags kept; collect: lines kept for a JSON report, not printed;
    // quiet: nothing but errors; color: "auto", "always" or "never".
    TerminalHost(bool markup, bool collect, bool quiet = false, const std::string& color = "auto");
    void attach(Session* model) { model_ = model; }

    void appendLog(std::string_view markup, const LogLine& line) override;
    void clearLog() override {}
    void setStatus(int panel, const std::string& text) override;
    void setProgress(uint64_t done, uint64_t total) override;
    void pumpEvents() override;
    bool askYesNo(const std::string&) override { return true; }
    size_t askChoice(const std::string&, const std::vector<std::string>& answers) override {
        return answers.empty() ? 0 : answers.size() - 1;
    }
    void showError(const std::string& text) override;
    void showPage(Page) override {}

    bool errorShown() const { return errorShown_; }
    const std::vector<std::string>& collected() const { return collected_; }
    void endProgress();

  private:
    bool markup_;
    bool collect_;
    bool quiet_;
    std::vector<std::string> collected_;
    bool styled_;    // stdout is a terminal: styles as ANSI sequences
    bool progress_;  // stderr is a terminal: status panels shown there
    bool errorShown_ = false;
    bool progressShown_ = false;
    std::string panels_[2];
    int percent_ = -1;         // of the file in hand, -1 before the first progress
    bool pauseArmed_ = false;  // the test pause's line was logged: the next pump waits
    Session* model_ = nullptr;
};

// Installs the SIGINT and SIGTERM handlers that TerminalHost::pumpEvents answers; a second
// signal ends the program at once.
void installInterruptHandler();
// The signal that asked the program to stop, 0 when none did.
int caughtSignal();

}  // namespace quarnel
