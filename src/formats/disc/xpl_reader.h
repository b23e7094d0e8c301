// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist reader: the tag lines of VPLST000.XPL into the typed title that plays the source
// (its name, duration, time base, streams and chapters), with the tree and the chapter list
// the "XPL" page draws from it, and the attribute tables that carry over between reads.
#pragma once

#include <memory>
#include <string>

#include "formats/disc/playlist_view.h"
#include "report/message_log.h"

namespace quarnel {

class PlaylistReader {
  public:
    PlaylistReader(PlaylistView& view, MessageLog& log);
    ~PlaylistReader();
    PlaylistReader(const PlaylistReader&) = delete;
    PlaylistReader& operator=(const PlaylistReader&) = delete;

    // The attribute items that a completed tag line defines.
    void takeItems(const std::string& line);
    // The title and its tree from the tag list (narrowed to the title beforehand).
    void scanTitle();

  private:
    class Reading;
    std::unique_ptr<Reading> reading_;
};

}  // namespace quarnel
