// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/title.h"

#include "formats/disc/xpl_attributes.h"
#include "io/file_sequence.h"

namespace quarnel {

const std::string& Title::firstFile() const {
    static const std::string kNone;
    return parts.empty() ? kNone : parts.front().file;
}

std::string Title::sourceExtension() const {
    if (origin == TitleOrigin::DvdProgramChain) return ".VOB";
    if (origin == TitleOrigin::HdDvdPlaylist) return ".EVO";  // also when read from an image
    return upperExtension(firstFile());
}

int64_t TitlePart::dataTitleTicks() const {
    const int64_t lead =
        startPts && firstPts ? int64_t((*startPts - *firstPts) & ((uint64_t(1) << 33) - 1)) : 0;
    return int64_t(clipTitleStart) - lead;
}

bool Title::joinsInsideEvobus() const {
    for (size_t k = 0; k < parts.size(); ++k)
        if ((k + 1 < parts.size() && parts[k].endsInsideEvobu) || (k > 0 && parts[k].startPts)) return true;
    return false;
}

bool Title::partsAreStretches() const {
    for (const TitlePart& p : parts)
        if (p.firstByte || p.endByte) return true;
    return false;
}

int32_t tableIdOf(const TitleTrack& track) {
    if (track.subStreamId) return *track.subStreamId;
    return track.kind == StreamKind::Audio ? kStreamIdKey | track.streamId : track.streamId;
}

const TitleTrack* titleTrack(const Title& title, StreamKind kind, size_t slot) {
    for (const TitleTrack& t : title.tracks) {
        if (t.kind != kind) continue;
        const int32_t id = tableIdOf(t);
        const StreamKindEntry* entry = streamKindIn(kind, id);
        if (entry && entry->slotOf(uint8_t(id)) == slot) return &t;
    }
    return nullptr;
}

std::vector<std::string> chapterFileLines(const Title& title) {
    std::vector<std::string> lines;
    for (size_t k = 0; k < title.chapters.size(); ++k) {
        const std::string number = zeropad(int(k + 1), 2);
        lines.push_back("CHAPTER" + number + "=" + chapterTimeOfNs(title.chapters[k].time * 100000 / 9));
        lines.push_back("CHAPTER" + number + "NAME=" + title.chapters[k].name);
    }
    return lines;
}

Title titleOfFiles(const std::string& first, bool follow) {
    Title title;
    title.name = outputBaseName(first, follow);
    for (std::string& file : sequenceFrom(first, follow)) title.parts.push_back({.file = std::move(file)});
    return title;
}

}  // namespace quarnel
