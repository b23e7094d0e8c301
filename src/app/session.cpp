// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session.h"

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
}

void Session::playlistChanged() {
    playlistName = nameOf(playlistPath);
    playlistDir = folderOf(playlistPath);
    buttons.readPlaylist = !playlistName.empty();
    if (endsWith(playlistDir, kXplFolderName)) sourceDir = besideFolder(playlistDir, kXplFolderName, kEvoFolderName);
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
    buttons.rebuild = buttons.demux && upperExtension(sourcePath) == ".EVO";
    buttons.makeMkv = buttons.demux && (upperExtension(sourcePath) == ".EVO" || upperExtension(sourcePath) == ".VOB");
}

std::string Session::outputBase() const {
    if (options.outputDir.empty()) return baseName;
    const bool hasSeparator = options.outputDir.back() == kPathSeparator;
    return options.outputDir + (hasSeparator ? "" : std::string(1, kPathSeparator)) + baseName;
}

}  // namespace quarnel
