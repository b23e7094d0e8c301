// SPDX-License-Identifier: GPL-3.0-or-later
// The state of whoever starts runs (the window, the command line, the tests): the options, the
// stream boxes and the controls whose state follows from them, the source and playlist names,
// what the playlist and VTI reads found, and the run state the runs leave. A run is asked
// through the request this state makes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/requests.h"
#include "app/run_state.h"
#include "app/stream_boxes.h"
#include "formats/disc/dvd_disc.h"
#include "formats/disc/hddvd_disc.h"
#include "formats/disc/playlist_view.h"
#include "formats/disc/vti_view.h"

namespace quarnel {

// The playlist's name; the playlist path is this name alone until a folder is known for it.
constexpr const char* kPlaylistName = "VPLST000.XPL";

struct Session : RunState {
    Options options;
    StreamBoxes boxes;
    Buttons buttons;
    std::string sourcePath;  // the EVO, VOB or AOB file, or the disc
    // The disc chosen as the source (a DVD-Video folder or image) with its titles, and the
    // title chosen to be read; none: the source file and the files after it.
    std::optional<DvdDisc> disc;
    std::optional<Title> title;
    int titleNumber = 0;                          // the disc's number of the title chosen
    std::string playlistPath;                     // the playlist, VPLST000.XPL
    std::string sourceDir, sourceName, baseName;  // baseName: outputs are named after it
    std::string playlistDir, playlistName;
    // The table holds the playlist reader's slot markers, not stream ids, until a Read.
    bool tableFromPlaylist = false;
    PlaylistView playlist;  // the "XPL" page
    // The source the playlist was read for: its title, names and chapters go with that source
    // only.
    std::string playlistSource;
    VtiView vti;              // the "VTI" page
    std::string pagesSource;  // the source the "XPL" and "VTI" pages were last cleared for
    // The user's names, languages and flags for the MKV's tracks, of the source and title chosen.
    TrackEdits trackEdits;
    // A VOB given by name: its streams' languages and flags and its picture size from the IFO
    // files beside it, read when it became the source (for `factsSource`).
    std::optional<Title> vobFacts;
    std::string factsSource;

    Session() { resetBoxes(); }

    // The names that follow from the source's path, and the playlist beside it; a disc and its
    // title chosen before are let go.
    void sourceChanged();
    // Reads the disc at `path` (with `angle` chosen where its titles have angles) and makes it
    // the source, its longest title chosen. Returns why it cannot be read, "" when it was.
    std::string openDisc(const std::string& path, int angle = 1);
    // Chooses title `number` of the disc: outputs are named after it, and its streams, as the
    // disc lists them, fill the boxes and the stream table until a Read. False when the disc
    // has no such title.
    bool chooseDiscTitle(int number);
    // The names that follow from the playlist's path, and the source folder beside it.
    void playlistChanged();
    // Every box empty, unticked and disabled.
    void resetBoxes();
    // Demux and Rebuild enabled as the ticked boxes allow.
    void updateRunButtons();
    // The output folder and the base name: where a run's outputs go and how they are named.
    std::string outputBase() const;
    // Whether the playlist read last was read for the source: only then do its names, languages
    // and chapters go with the source's outputs.
    bool playlistOfSource() const;
    // Whether the playlist's names, languages and chapters go with the source's outputs: read
    // for the source, naming it, and the source no disc title (whose navigation names its own).
    bool playlistNamesSource() const;
    // The request for the choices made: the source's title, the ticked streams, the options,
    // the names, and the playlist's title when it was read for the source.
    Request request() const;
    // The IFO facts of the source when it is a VOB of a disc folder given by name.
    std::optional<Title> factsOfVob() const;
    // Ticks exactly the streams named ("v0", "a03", "s17"); each must have a box. False with
    // `error` set when one is unknown or not there.
    bool chooseStreams(const std::vector<std::string>& names, std::string& error);
};

}  // namespace quarnel
