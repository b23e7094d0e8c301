// SPDX-License-Identifier: GPL-3.0-or-later
// A model with a disc folder (HVDVD_TS beside ADV_OBJ) in a temporary folder, for the disc
// metadata tests.
#pragma once

#include <filesystem>
#include <string>

#include "fixtures/model_fixture.h"

namespace quarnel::fixtures {

struct DiscFixture : ModelFixture {
    DiscFixture() {
        std::filesystem::create_directories(dir.file("HVDVD_TS"));
        std::filesystem::create_directories(dir.file("ADV_OBJ"));
    }
    std::string evoPath(const std::string& name) const { return dir.file("HVDVD_TS/" + name); }
    // Makes HVDVD_TS/name the source (the file need not exist).
    void chooseEvo(const std::string& name) {
        model.sourcePath = evoPath(name);
        model.sourceChanged();
    }
    // Writes ADV_OBJ/VPLST000.XPL and makes it the playlist.
    void choosePlaylist(const std::string& text) {
        const std::string path = dir.file("ADV_OBJ/VPLST000.XPL");
        writeFile(path, Bytes(text.begin(), text.end()));
        model.playlistPath = path;
        model.playlistChanged();
    }
    void writeVti(const Bytes& bytes) { writeFile(dir.file("HVDVD_TS/HVA00001.VTI"), bytes); }
};

// The number of file descriptors this process holds open.
inline int openFiles() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

}  // namespace quarnel::fixtures
