// SPDX-License-Identifier: GPL-3.0-or-later
// log, log2 and slog: every report of the system goes through here to the host.
#pragma once

#include <string>
#include <string_view>

#include "report/host.h"
#include "report/text_format.h"

namespace quarnel {

class MessageLog {
  public:
    explicit MessageLog(Host& host) : host_(host) {}

    // Control characters (from names in files) are shown escaped.
    void log(std::string_view message) {
        const std::string shown = escapeControls(message);
        host_.appendLog(shown, parseMarkup(shown));
    }
    void log2(std::string_view message) {
        log(message);
        log("");
    }
    // Sets a status panel to a blank followed by the text.
    void slog(std::string_view text, int panel) { host_.setStatus(panel, " " + std::string(text)); }
    void clear() { host_.clearLog(); }

  private:
    Host& host_;
};

}  // namespace quarnel
