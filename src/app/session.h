// SPDX-License-Identifier: GPL-3.0-or-later
// The state that outlives a run: the options, the stream boxes and the controls whose state
// follows from them, the source and playlist names, the stream table of the file read last,
// the values a Read leaves for the runs after it, and what the playlist and VTI reads found.
// The window, the command line and the tests hold one and hand it to the runs.
#pragma once

#include <string>

#include "app/options.h"
#include "app/run_values.h"
#include "app/stream_boxes.h"
#include "formats/playlist_view.h"
#include "formats/stream_table.h"
#include "formats/vti_view.h"

namespace quarnel {

// The playlist's name; the playlist path is this name alone until a folder is known for it.
constexpr const char* kPlaylistName = "VPLST000.XPL";

struct Session {
    Options options;
    StreamBoxes boxes;
    Buttons buttons;
    std::string sourcePath;    // the EVO, VOB or AOB file
    std::string playlistPath;  // the playlist, VPLST000.XPL
    std::string sourceDir, sourceName, baseName;  // baseName: outputs are named after it
    std::string playlistDir, playlistName;
    StreamTable table;
    // The table holds the playlist reader's slot markers, not stream ids, until a Read.
    bool tableFromPlaylist = false;
    RunValues run;
    PlaylistView playlist;  // the "XPL" page
    VtiView vti;            // the "VTI" page
    bool runActive = false;
    std::string lastError;  // the error that stopped the last run, empty when it ran to its end

    Session() { resetBoxes(); }

    // The names that follow from the source's path, and the playlist beside it.
    void sourceChanged();
    // The names that follow from the playlist's path, and the source folder beside it.
    void playlistChanged();
    // Every box empty, unticked and disabled.
    void resetBoxes();
    // Demux and Rebuild enabled as the ticked boxes allow.
    void updateRunButtons();
    // The output folder and the base name: where a run's outputs go and how they are named.
    std::string outputBase() const;
};

}  // namespace quarnel
