// SPDX-License-Identifier: GPL-3.0-or-later
// Blu-ray presentation graphics (.sup) from subpicture events: for each event one display set
// that shows it (epoch start, one window and one object at the event's place, its palette,
// the run-length object split over as many object segments as it needs) and one that clears
// the screen at its stop time.
#pragma once

#include <cstdint>
#include <string>

#include "codecs/subpicture_event.h"
#include "formats/subtitles/frame_rates.h"
#include "io/files.h"

namespace quarnel {

struct PgsOptions {
    int canvasWidth = 1920, canvasHeight = 1080;  // the video's picture size
    FrameRate rate = kFilmRate;
};

class PgsWriter {
  public:
    // Creates `path`; raises QuarnelError when it cannot.
    PgsWriter(const std::string& path, const PgsOptions& options);

    // Writes the two display sets of `e`. An event that does not lie inside the canvas, or
    // whose coded picture is longer than an object may be, is not written: returns false.
    bool add(const SubpictureEvent& e);
    // Writes the file under its name; raises on a failed write. Unfinished, nothing is left.
    void finish() { out_.commit(); }

  private:
    void segment(uint8_t type, uint64_t pts, const std::vector<uint8_t>& payload);
    std::vector<uint8_t> composition(const SubpictureEvent& e, bool shown);

    OutputFile out_;
    PgsOptions options_;
    uint16_t compositionNumber_ = 0;
};

// The run-length coding of a PGS object, line by line.
std::vector<uint8_t> pgsRunLengths(const SubpictureEvent& e);

}  // namespace quarnel
