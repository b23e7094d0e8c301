// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/track_rows.h"

#include "app/session.h"
#include "io/file_sequence.h"

namespace quarnel {

std::optional<int64_t> delayOf(const RunValues& run, MaybeTimeStamp pts) {
    const MaybeTimeStamp reference =
        run.firstPtm != 0 ? MaybeTimeStamp(run.firstPtm) : run.videoReading[0].firstPts;
    if (!pts || !reference) return std::nullopt;
    const int64_t ticks = stampDistance(*pts, *reference);
    return ticks >= 0 ? ticks / 90 : -((-ticks + 89) / 90);
}

std::vector<TrackRow> trackRowsOf(const Session& m) {
    const bool aob = upperExtension(m.sourcePath) == ".AOB";
    // The playlist's names go with the source it was read for only.
    const PlaylistTitle none;
    const PlaylistTitle& playlist = m.playlistNamesSource() ? m.playlist.title : none;
    // A disc's title, or the IFO beside a VOB read when it became the source.
    const Title title = m.title                         ? *m.title
                        : m.factsSource == m.sourcePath ? m.vobFacts.value_or(Title{})
                                                        : Title{};
    std::vector<TrackRow> rows;
    const auto add = [&](StreamKind kind, const auto& ids, size_t count, const auto& boxes,
                         const auto& readings) {
        for (size_t k = 0; k < count; ++k) {
            if (ids[k] < 0) continue;
            const auto id = uint8_t(ids[k]);
            const StreamKindEntry* entry =
                kind == StreamKind::Video
                    ? streamKindOf(id == 0x55 || id == 0x56 ? IdPlace::Extension : IdPlace::StreamId, id, aob)
                    : streamKindIn(kind, ids[k], aob);
            const RunValues::StreamReading& reading = readings[k];
            TrackRow row{.stream = streamName(kind, k),
                         .kind = kind,
                         .slot = k,
                         .id = ids[k],
                         .caption = boxes[k].caption,
                         .ticked = boxes[k].ticked,
                         .firstPts = reading.firstPts,
                         .delayMs = delayOf(m.run, reading.firstPts),
                         .facts = reading.facts,
                         .bytes = reading.bytes};
            // MPEG audio names its layer ("MPEG-1 Layer II") once its first frame has been read.
            const bool layerNamed =
                entry && entry->coding == Coding::MpegAudio && !reading.facts.profile.empty();
            row.codec = layerNamed ? reading.facts.profile : entry ? entry->codec : "";
            row.listed = listedMetadata(playlist, title, kind, k, kind == StreamKind::Audio ? row.codec : "");
            rows.push_back(std::move(row));
        }
    };
    add(StreamKind::Video, m.table.video, size_t(kUsedVideoSlots), m.boxes.video, m.run.videoReading);
    add(StreamKind::Audio, m.table.audio, size_t(kAudioSlots), m.boxes.audio, m.run.audioReading);
    add(StreamKind::Subpicture, m.table.sub, size_t(kSubSlots), m.boxes.sub, m.run.subReading);
    // As Make MKV sets them: the first video and audio track it holds, and forced subtitles.
    bool video = true, audio = true;
    for (TrackRow& r : rows) {
        bool& first = r.kind == StreamKind::Video ? video : audio;
        r.listed.defaultTrack = r.kind == StreamKind::Subpicture ? r.listed.forced : r.ticked && first;
        if (r.kind != StreamKind::Subpicture && r.ticked) first = false;
    }
    return rows;
}

}  // namespace quarnel
