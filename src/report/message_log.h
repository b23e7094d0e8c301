// log, log2 and slog: every report of the system goes through here to the host.
#pragma once

#include <string>
#include <string_view>

#include "report/host.h"

namespace quarnel {

class MessageLog {
public:
    explicit MessageLog(Host& host) : host_(host) {}

    void log(std::string_view message) { host_.appendLog(message, parseMarkup(message)); }
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
