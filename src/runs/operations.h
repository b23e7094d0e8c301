// SPDX-License-Identifier: GPL-3.0-or-later
// The operations, as the window, the command line, the tests and the fuzzers start them: each
// a run over the session that reports to the host. None starts while another runs; each says
// in session.lastError what stopped it.
#pragma once

#include "app/session.h"
#include "report/host.h"

namespace quarnel::runs {

// Read: every file of the source sequence through the analysis pass, then the stream boxes,
// the frame report, and what the options add (the automatic Demux or Rebuild, the VTI read).
void read(Session& session, Host& host);
// Demux: each ticked stream into a file of its own.
void demux(Session& session, Host& host);
// Rebuild: BASE.rebuilt.EVO holding only the ticked streams.
void rebuild(Session& session, Host& host);
// Make MKV: the ticked streams demuxed, placed on the title's time line, named from the
// playlist, and muxed by mkvmerge into BASE.mkv (or only planned, options.mkvPlanOnly).
void makeMkv(Session& session, Host& host);
// Read the playlist: its tag list, the title of the source, its chapters, the boxes it names.
void readPlaylist(Session& session, Host& host);
// Read HVA00001.VTI beside the source.
void readVti(Session& session, Host& host);
// The same as the step after a Read: a file that cannot be read is a warning in the log and in
// run.vtiError, not the run's error.
void readVtiAfterRead(Session& session, Host& host);
// Write the playlist's chapters as BASE.chapters.txt.
void writeChapters(Session& session, Host& host);

// Cancel: a Demux or Rebuild asks first ("Cancelled." when confirmed); anything else stops.
void cancel(Session& session, Host& host);
// The window is asked to close: true when it may (a Demux or Rebuild asks first).
bool closeRequested(Session& session, Host& host);

}  // namespace quarnel::runs
