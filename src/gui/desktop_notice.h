// SPDX-License-Identifier: GPL-3.0-or-later
// A notice on the desktop (org.freedesktop.Notifications on the session bus) that a run has
// ended, for a user who is in another window. Where there is no session bus or no
// notification service, nothing is shown and nothing is said.
#pragma once

#include <QString>

namespace quarnel {

void notifyDesktop(const QString& summary, const QString& body);

}  // namespace quarnel
