// SPDX-License-Identifier: GPL-3.0-or-later
// The message log pane: each log line appended as one paragraph with its styled runs.
#pragma once

#include <QFont>
#include <QTextEdit>

#include "report/markup.h"

namespace quarnel {

// The pane's base style: Tahoma (or the nearest face the desktop has), 8 points, regular.
QFont baseLogFont();

// Appends the line as a new paragraph at the end of the pane and keeps it in view.
void appendStyledLine(QTextEdit& pane, const LogLine& line);

}  // namespace quarnel
