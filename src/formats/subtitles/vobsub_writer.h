// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub (.idx + .sub) from subpicture events. Each event becomes a 2-bit unit in DVD packs in
// the .sub; the .idx holds the picture size, the 16-colour palette, the language and one line
// per event with its time and the position of its first pack. 2-bit events keep their picture
// and colours; 8-bit events are cut down to four colours (see four_colour_picture.h), whose
// shades take free places of the 16-colour palette, or the nearest colour once all are taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/subpicture_event.h"
#include "io/files.h"

namespace quarnel {

struct VobSubOptions {
    int canvasWidth = 720, canvasHeight = 576;
    std::string language = "en";  // two letters; anything else is written as "en"
    // The palette 2-bit events were decoded with: kept as the .idx palette so their colour
    // numbers stay as they were. Without it the palette is built from the events' colours.
    std::optional<DvdPalette> palette;
};

class VobSubWriter {
  public:
    // Creates both files; raises QuarnelError when it cannot.
    VobSubWriter(const std::string& idxPath, const std::string& subPath, VobSubOptions options);

    // Writes the unit of `e`. An event outside the canvas, or too large for a 2-bit unit, is
    // not written: returns false.
    bool add(const SubpictureEvent& e);
    // Writes the .idx and closes both files (raises on a failed write). Returns the notes for
    // the log: colour lost to the four-colour limit, events left out.
    std::vector<std::string> finish();

  private:
    uint8_t paletteNumber(Rgb colour);

    OutputFile sub_, idx_;
    VobSubOptions options_;
    std::vector<Rgb> palette_;
    std::string timestamps_;
    std::vector<uint8_t> packs_;
    size_t reduced_ = 0, leftOut_ = 0;
};

}  // namespace quarnel
