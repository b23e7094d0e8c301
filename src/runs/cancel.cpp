// SPDX-License-Identifier: GPL-3.0-or-later
// Cancel and close requests while a run works.
#include "report/message_log.h"
#include "runs/operations.h"

namespace quarnel::runs {

void cancel(Session& session, Host& host) {
    if (!session.run.busy) {
        session.run.cancel = true;
        return;
    }
    if (host.askYesNo("Are you sure to stop demuxing?")) {
        session.run.cancel = true;
        MessageLog(host).log("Cancelled.");
    }
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
