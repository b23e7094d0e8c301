// SPDX-License-Identifier: GPL-3.0-or-later
// The Demux as a step of a longer run: the same outputs, with the time stamps a muxer needs.
#pragma once

#include "app/session.h"
#include "report/host.h"
#include "runs/demux_timing.h"

namespace quarnel::runs {

// A Demux that notes the time stamps of what it writes in `timing`; true when every output
// was written and put in place (not failed, cancelled or interrupted).
bool demuxNotingTimes(Session& session, Host& host, DemuxTiming& timing);

}  // namespace quarnel::runs
