// SPDX-License-Identifier: GPL-3.0-or-later
// Another program run beside Quarnel (mkvmerge): started with its arguments, its output and
// error output read as lines while the run goes on, stopped on a cancel.
#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace quarnel {

class ExternalProgram {
  public:
    ExternalProgram() = default;
    ExternalProgram(const ExternalProgram&) = delete;
    ExternalProgram& operator=(const ExternalProgram&) = delete;
    // A program still running is stopped and waited for.
    ~ExternalProgram();

    // The path of `name` in a folder of PATH (or `name` itself when it holds a "/" and can be
    // run); "" when there is none.
    static std::string find(const std::string& name);

    // Starts `path` with `args` (without the program name); raises QuarnelError when it cannot.
    void start(const std::string& path, const std::vector<std::string>& args);
    // Waits at most `timeoutMs` for output and appends each complete line to `lines`; false once
    // the program has closed its output (the last unfinished line is then appended too). A line
    // longer than kMaxLineBytes is cut there: what a program prints never fills the memory.
    bool readLines(std::vector<std::string>& lines, int timeoutMs);
    // Asks the program to end (SIGTERM); wait() ends it (SIGKILL) when it has not ended
    // kStopGraceMs later.
    void stop();
    // Waits for the program to end: its exit status, or 128 + the signal that ended it.
    int wait();

    static constexpr size_t kMaxLineBytes = size_t(64) << 10;
    static constexpr int kStopGraceMs = 3000;

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    bool stopping_ = false;
    bool cutting_ = false;  // the line in hand has passed kMaxLineBytes: the rest of it is dropped
    std::string partial_;
};

// Runs `path` with `args` to its end and gives its exit status and output lines; raises
// QuarnelError when it cannot be started.
int runToEnd(const std::string& path, const std::vector<std::string>& args, std::vector<std::string>& lines);

}  // namespace quarnel
