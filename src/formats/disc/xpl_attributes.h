// SPDX-License-Identifier: GPL-3.0-or-later
// Value lookups in the playlist's tag lines. The playlist is not parsed as XML: a value is
// found by its attribute name anywhere in the line, letters compared without regard to case.
#pragma once

#include <string>
#include <string_view>

#include "formats/disc/playlist_view.h"

namespace quarnel {

// Finds the first occurrence of `name` in `line`; when there is one, `into` becomes the text
// that follows it, past the first "=" and the first double quote, up to the next double quote.
// When the name is absent `into` keeps its value.
void getattr(std::string_view line, std::string_view name, std::string& into);
// getattr into an empty text, read as a signed decimal integer; empty or not a number gives 0.
int getattrint(std::string_view line, std::string_view name);
// Leading blanks and a sign allowed, the leading digits taken, the rest ignored; no digits: 0.
int lenientNumber(std::string_view text);
// The decimal text of `value` with "0" in front until it is `width` characters long.
std::string zeropad(int value, int width);
// A chapter start HH:MM:SS:FF, counted in the title set's `timeBase` ("60fps": one count is
// 1001/60000 s; "50fps"; none: 60fps), as the exact time HH:MM:SS.mmm rounded to the
// millisecond. An expression that is no such time keeps its fields, the frames as sixtieths.
std::string chapterTime(const std::string& begin, std::string_view timeBase);
// A time from the title's start as the chapter file writes it: "HH:MM:SS.mmm", to the nearest
// millisecond.
std::string chapterTimeOfNs(uint64_t ns);
// A langcode "xx:NN": the two letters of ISO 639-1 lower-cased ("" for "*" or anything else)
// and the code extension in hexadecimal (0 when there is none or it is not a number).
struct Langcode {
    std::string language;
    int extension = 0;
};
Langcode langcodeOf(std::string_view code);
// The langcode, language, code extension and description of a stream element, from its own
// attributes only.
PlaylistStream playlistStreamOf(std::string_view line);
// True when `line` contains `text`, compared upper-cased.
bool containsUpper(std::string_view line, std::string_view upperText);

}  // namespace quarnel
