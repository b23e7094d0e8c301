// SPDX-License-Identifier: GPL-3.0-or-later
// One row per stream the last Read found (or a disc's title or a playlist named): what it is,
// what the analysers found in it, whether it is ticked, and what its MKV track will be called.
// The JSON report and the window's Tracks page show these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/track_metadata.h"
#include "codecs/stream_facts.h"
#include "codecs/time_stamp.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

struct Session;
struct RunValues;

struct TrackRow {
    std::string stream;  // v0, a03, s17
    StreamKind kind = StreamKind::Video;
    size_t slot = 0;
    int32_t id = -1;      // the stream table's entry
    std::string codec;    // "AC-3"; MPEG audio by its layer once a frame was read; "" for none
    std::string caption;  // the box's caption, which names the outputs
    bool ticked = false;
    MaybeTimeStamp firstPts;
    std::optional<int64_t> delayMs;  // from the Read log's reference
    StreamFacts facts;
    uint64_t bytes = 0;    // of the stream's payload the last Read went through
    TrackMetadata listed;  // what the disc's navigation names it, before the user's edits

    bool operator==(const TrackRow&) const = default;
};

std::vector<TrackRow> trackRowsOf(const Session& session);

// The signed distance in milliseconds from the Read log's reference (the first PTM, else the
// first video PTS), rounded toward minus infinity; none without both.
std::optional<int64_t> delayOf(const RunValues& run, MaybeTimeStamp pts);

}  // namespace quarnel
