// SPDX-License-Identifier: GPL-3.0-or-later
// BDN XML + PNG, the interchange format of subtitle authoring tools, from subpicture events:
// a folder with one RGBA PNG per event (0001.png, 0002.png, ...) and an XML file that lists
// each event's in and out time codes, forced flag, size and place.
#pragma once

#include <string>
#include <vector>

#include "codecs/subpicture_event.h"
#include "formats/subtitles/frame_rates.h"
#include "io/files.h"

namespace quarnel {

struct BdnOptions {
    int canvasWidth = 1920, canvasHeight = 1080;
    FrameRate rate = kFilmRate;
    std::string title;             // the Name element's title
    std::string language = "eng";  // ISO 639-2
};

class BdnWriter {
  public:
    // Writes `folder` under a temporary name, put in place by finish(). `xmlName` is a plain
    // file name; one with a folder part, "." or ".." raises QuarnelError, so nothing lands
    // outside the folder.
    BdnWriter(const std::string& folder, const std::string& xmlName, BdnOptions options);

    // Writes the event's PNG. An event outside the canvas is not written: returns false.
    // Raises QuarnelError when the PNG cannot be written.
    bool add(const SubpictureEvent& e);
    // Writes the XML and puts the folder in place; raises on a failed write.
    void finish();

    // "HH:MM:SS:FF" at the rate's time-code frames per second.
    static std::string timecode(uint64_t ticks, const FrameRate& rate);

  private:
    struct Entry {
        uint64_t in, out;  // frame numbers
        bool forced;
        int x, y, width, height;
    };
    OutputFolder folder_;  // swapped in whole by finish()
    std::string xmlName_;
    BdnOptions options_;
    std::vector<Entry> entries_;
};

}  // namespace quarnel
