// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session.h"

#include <algorithm>

#include "formats/disc/title.h"
#include "io/file_sequence.h"

namespace quarnel {
namespace {

constexpr const char* kEvoFolderName = "HVDVD_TS/";
constexpr const char* kXplFolderName = "ADV_OBJ/";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The folder beside `folder` (which ends in `name`) called `other`.
std::string besideFolder(const std::string& folder, const std::string& name, const std::string& other) {
    return folder.substr(0, folder.size() - name.size()) + other;
}

}  // namespace

void Session::sourceChanged() {
    disc.reset();
    title.reset();
    buttons.readSource = !sourcePath.empty();
    sourceName = nameOf(sourcePath);
    baseName = withoutExtension(sourceName);
    sourceDir = folderOf(sourcePath);
    playlistPath = kPlaylistName;
    if (endsWith(sourceDir, kEvoFolderName)) {
        playlistDir = besideFolder(sourceDir, kEvoFolderName, kXplFolderName);
        playlistName = kPlaylistName;
        playlistPath = playlistDir + playlistName;
    }
    buttons.readPlaylist = !playlistName.empty();
    if (factsSource != sourcePath) {
        factsSource = sourcePath;
        vobFacts = upperExtension(sourcePath) == ".VOB" ? titleSetFactsBeside(sourcePath) : std::nullopt;
    }
    // The pages that described another source describe nothing now.
    if (sourcePath == pagesSource) return;
    pagesSource = sourcePath;
    trackEdits.clear();
    playlist = PlaylistView{};
    playlistSource.clear();
    vti = VtiView{};
    buttons.writeChapters = false;
}

std::string Session::openDisc(const std::string& path, int angle) {
    DvdDisc read;
    try {
        read = readDisc(path, angle);
    } catch (const std::exception& e) {
        return "Cannot read the disc \"" + path + "\": " + e.what() + ".";
    }
    sourcePath = path;
    sourceChanged();
    disc = std::move(read);
    chooseDiscTitle(disc->mainTitle());
    return {};
}

bool Session::chooseDiscTitle(int number) {
    if (!disc) return false;
    const auto chosen =
        std::ranges::find_if(disc->titles, [&](const DvdTitle& t) { return t.number == number; });
    if (chosen == disc->titles.end()) return false;
    title = chosen->title;
    titleNumber = number;
    baseName = title->name;
    // An HD DVD folder's title: the XPL page reads the disc's playlist for it, the VTI page the
    // HVDVD_TS folder's VTI with the title's first EVO chosen.
    if (disc->kind == DiscKind::HdDvd && !disc->playlist.empty()) {
        playlistPath = disc->playlist;
        playlistChanged();
        sourceDir = disc->navigationFolder;
        sourceName = nameOf(title->firstFile());
    }
    trackEdits.clear();
    resetBoxes();
    table.reset();
    tableFromPlaylist = false;
    for (const TitleTrack& t : title->tracks) {
        const int32_t id = tableIdOf(t);
        const StreamKindEntry* entry = streamKindIn(t.kind, id);
        if (!entry) continue;
        const size_t slot = entry->slotOf(uint8_t(id));
        StreamBox* box = t.kind == StreamKind::Video
                             ? (slot < size_t(kUsedVideoBoxes) ? &boxes.video[slot] : nullptr)
                         : t.kind == StreamKind::Audio ? &boxes.audio[slot]
                                                       : &boxes.sub[slot];
        if (!box) continue;
        box->enabled = box->ticked = true;
        box->caption = boxCaption(t.kind, id, slot, false);
        box->tooltip = t.language.empty() ? t.name : t.name.empty() ? t.language : t.language + ", " + t.name;
        (t.kind == StreamKind::Video   ? table.video[slot]
         : t.kind == StreamKind::Audio ? table.audio[slot]
                                       : table.sub[slot]) = id;
    }
    updateRunButtons();
    return true;
}

void Session::playlistChanged() {
    playlistName = nameOf(playlistPath);
    playlistDir = folderOf(playlistPath);
    buttons.readPlaylist = !playlistName.empty();
    if (endsWith(playlistDir, kXplFolderName))
        sourceDir = besideFolder(playlistDir, kXplFolderName, kEvoFolderName);
}

void Session::resetBoxes() {
    const auto reset = [](auto& boxArray, const char* caption) {
        for (auto& b : boxArray) {
            b.enabled = false;
            b.ticked = false;
            b.caption = caption;
        }
    };
    reset(boxes.video, kNoVideoCaption);
    reset(boxes.audio, kNoAudioCaption);
    reset(boxes.sub, kNoSubCaption);
    updateRunButtons();
}

void Session::updateRunButtons() {
    buttons.demux = boxes.anyTicked();
    const std::string ext = title ? title->sourceExtension() : upperExtension(sourcePath);
    buttons.rebuild = buttons.demux && ext == ".EVO";
    buttons.makeMkv = buttons.demux && (ext == ".EVO" || ext == ".VOB");
}

std::string Session::outputBase() const {
    return outputBaseIn(options.outputDir, baseName);
}

bool Session::playlistOfSource() const {
    return playlistSource == sourcePath;
}

std::optional<Title> Session::factsOfVob() const {
    if (upperExtension(sourcePath) != ".VOB") return std::nullopt;
    return factsSource == sourcePath ? vobFacts : titleSetFactsBeside(sourcePath);
}

bool Session::playlistNamesSource() const {
    return playlistOfSource() && playlist.namesSource && !title;
}

Request Session::request() const {
    Request r;
    r.title = title ? *title : titleOfFiles(sourcePath, options.continueSequence);
    // A VOB of a disc folder: its streams' languages and flags and its picture size from the disc.
    if (!title)
        if (const std::optional<Title> facts = factsOfVob()) {
            r.title.tracks = facts->tracks;
            r.title.pictureWidth = facts->pictureWidth;
            r.title.pictureHeight = facts->pictureHeight;
        }
    r.options = options;
    r.baseName = title ? title->name : outputBaseName(sourcePath, options.continueSequence);
    r.streamsFromPlaylist = tableFromPlaylist;
    r.trackEdits = trackEdits;
    if (playlistOfSource()) r.playlistPath = playlistPath;  // an input of the run all the same
    if (playlistNamesSource()) {
        r.playlist = playlist.title;
    }
    const auto choose = [&](const auto& slots, const auto& ids, size_t count, StreamKind kind) {
        for (size_t k = 0; k < count; ++k) {
            if (!slots[k].ticked) continue;
            StreamChoice c{.kind = kind, .slot = int(k), .name = slots[k].caption};
            if (!tableFromPlaylist && ids[k] >= 0) c.id = ids[k];
            r.streams.push_back(std::move(c));
        }
    };
    choose(boxes.video, table.video, kUsedVideoBoxes, StreamKind::Video);
    choose(boxes.audio, table.audio, kAudioBoxes, StreamKind::Audio);
    choose(boxes.sub, table.sub, kSubBoxes, StreamKind::Subpicture);
    return r;
}

bool Session::chooseStreams(const std::vector<std::string>& names, std::string& error) {
    StreamBoxes chosen = boxes;
    for (auto& b : chosen.video) b.ticked = false;
    for (auto& b : chosen.audio) b.ticked = false;
    for (auto& b : chosen.sub) b.ticked = false;
    for (const std::string& name : names) {
        StreamBox* box = nullptr;
        if (name.size() >= 2 && name.find_first_not_of("0123456789", 1) == std::string::npos) {
            const int k = std::stoi(name.substr(1));
            if (name[0] == 'v' && name.size() == 2 && k < kUsedVideoBoxes) box = &chosen.video[size_t(k)];
            if (name[0] == 'a' && name.size() == 3 && k < kAudioBoxes) box = &chosen.audio[size_t(k)];
            if (name[0] == 's' && name.size() == 3 && k < kSubBoxes) box = &chosen.sub[size_t(k)];
        }
        if (!box) {
            error = "unknown stream " + name + " (use v0 v1 a00..a15 s00..s31 or all)";
            return false;
        }
        if (!box->enabled) {
            error = "stream " + name + " is not in the source";
            return false;
        }
        box->ticked = true;
    }
    boxes = std::move(chosen);
    updateRunButtons();
    return true;
}

}  // namespace quarnel
