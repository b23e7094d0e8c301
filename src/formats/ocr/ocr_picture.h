// SPDX-License-Identifier: GPL-3.0-or-later
// A subtitle picture made ready for character recognition: composed by its alpha, the text
// turned dark on white, cut into its lines of text (top to bottom) and each line scaled so
// that its small letters stand about kOcrXHeight pixels high.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/subpicture_event.h"

namespace quarnel {

// 8-bit grey levels, 0 black ... 255 white, row by row.
struct GreyImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    // Lines of text that reach into one another's rows (a descender into the capitals below):
    // no clear row parts them, so the recogniser finds the lines itself.
    bool touchingLines = false;
};

constexpr int kOcrXHeight = 36;             // recognisers read best at 30-40 pixels
constexpr int kOcrMinLineHeight = 5;        // fewer rows of ink cannot hold a letter
constexpr int kOcrMaxScale = 8;             // a line is scaled up by at most this much
constexpr int kOcrMaxLineWidth = 8000;      // a wider line is scaled less (or not at all)
constexpr double kOcrMaxLinePixels = 16e6;  // nor does a line grow past this many pixels
constexpr int kOcrMargin = 12;              // white pixels around each prepared line

// The lines of text of `e`, top to bottom, each alone or with the lines it touches; none when
// the picture shows nothing that could be text (no pixels, all clear, too thin a line, a
// solid block).
std::vector<GreyImage> prepareOcrLines(const SubpictureEvent& e);

}  // namespace quarnel
