// SPDX-License-Identifier: GPL-3.0-or-later
// What runs leave for the runs after them and for whoever started them: the stream table of the
// title read last, the values a Read found, whether a run is active or may be cancelled, and
// the error that stopped the last one.
#pragma once

#include <string>

#include "app/run_values.h"
#include "formats/ps/stream_table.h"

namespace quarnel {

struct RunState {
    RunValues run;
    // The streams of every part of the title read last, each slot holding its first stream.
    StreamTable table;
    bool runActive = false;
    bool cancelEnabled = false;  // a run is at a point where Cancel stops it
    std::string lastError;       // the error that stopped the last run, empty when it ran to its end
};

}  // namespace quarnel
