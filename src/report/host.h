// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam between the engine and the outside world: the window, the command line
// and the tests each implement it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/markup.h"

namespace quarnel {

enum class Page { Status, VideoAudio, Subpicture, Tracks, Xpl, Vti, Options, About };

class Host {
  public:
    virtual ~Host() = default;

    // One log line: the message as logged (tags kept) and its parsed text and runs.
    virtual void appendLog(std::string_view markup, const LogLine& line) = 0;
    virtual void clearLog() = 0;
    // panel 0 or 1; the text already carries its leading blank.
    virtual void setStatus(int panel, const std::string& text) = 0;
    // How far a run has come through the file it reads: `done` of `total` bytes, every 4 MiB
    // (beside the status text of panel 1). A host without a progress display ignores it.
    virtual void setProgress(uint64_t /*done*/, uint64_t /*total*/) {}
    // Lets pending user events run (a Cancel click, a close request). Called every 4 MiB.
    virtual void pumpEvents() = 0;
    virtual bool askYesNo(const std::string& question) = 0;
    // Asks `question` with a button per answer; returns the index of the answer chosen (the
    // last one when the question is closed without an answer).
    virtual size_t askChoice(const std::string& question, const std::vector<std::string>& answers) = 0;
    virtual void showError(const std::string& text) = 0;
    virtual void showPage(Page page) = 0;
};

}  // namespace quarnel
