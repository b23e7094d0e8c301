// SPDX-License-Identifier: GPL-3.0-or-later
// The operations as requests start them: each takes a request, leaves what it found and the
// error that stopped it in the run state, and reports to the host. None reads or writes the
// state of whoever asked.
#pragma once

#include "app/requests.h"
#include "app/run_state.h"
#include "formats/disc/playlist_view.h"
#include "report/host.h"
#include "runs/demux_timing.h"

namespace quarnel::runs {

// How far a Read got: through every file of the title (its stream table is then the title's),
// and to its end with streams found.
struct ReadOutcome {
    bool readEveryFile = false;
    bool finished = false;
};

// Read: every part of the title through the analysis pass, the stream table of the title and
// the frame report.
ReadOutcome readTitle(const Request& request, RunState& state, Host& host);
// Demux: each stream asked for into a file of its own; with `timing`, the times Make MKV
// needs noted. True when every output was written and put in place.
bool demuxTitle(const Request& request, RunState& state, Host& host, DemuxTiming* timing = nullptr);
// Rebuild: BASE.rebuilt.EVO holding only the streams asked for.
void rebuildTitle(const Request& request, RunState& state, Host& host);
// Make MKV: the streams asked for demuxed, placed on the title's time line, named from the
// playlist, and muxed by mkvmerge into BASE.mkv (or only planned, options.mkvPlanOnly).
// True when the title was read again through every file (its streams were chosen from a
// playlist's list).
bool makeMkvOfTitle(const Request& request, RunState& state, Host& host);

// What a playlist read is asked: the playlist, and the source file whose title it narrows to.
struct PlaylistRequest {
    std::string playlistPath;
    std::string sourcePath;
    std::optional<int> titleNumber;  // a disc's title: that title of the playlist, not the source's
};
// Read the playlist into `view`: its tag list, the title of the source, its chapters and
// streams. True when the playlist was read to its end.
bool readPlaylistInto(const PlaylistRequest& request, PlaylistView& view, RunState& state, Host& host);

}  // namespace quarnel::runs
