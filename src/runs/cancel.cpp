// SPDX-License-Identifier: GPL-3.0-or-later
// Cancel and close requests while a run works.
#include <string>
#include <vector>

#include "report/message_log.h"
#include "runs/operations.h"

namespace quarnel::runs {

void cancel(Session& session, Host& host) {
    if (!session.run.busy) {
        session.run.cancel = true;
        return;
    }
    // A run that writes is stopped only when the user says so, and what it wrote never keeps
    // a final name: it is kept as .partial files or removed.
    enum Answer : size_t { StopAndKeep, StopAndRemove, Continue };
    const std::vector<std::string> answers{"Stop and keep", "Stop and remove", "Continue"};
    const size_t answer = host.askChoice("Stop the " + std::string(session.run.busy) +
                                             "? What was written so far can be kept as .partial files.",
                                         answers);
    if (answer == Continue) return;
    session.run.cancel = true;
    session.run.keepStopped = answer == StopAndKeep;
    MessageLog(host).log("Cancelled.");
}

bool closeRequested(Session& session, Host& host) {
    if (!session.run.busy) {
        session.run.cancel = true;
        return true;
    }
    cancel(session, host);
    return session.run.cancel;
}

}  // namespace quarnel::runs
