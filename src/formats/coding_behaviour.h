// SPDX-License-Identifier: GPL-3.0-or-later
// What each coding does when a stream of it is first found: the header analyser that
// describes it. A switch over every coding, without a default, so that a coding added to
// Coding and not here fails the build (the compiler's switch warning is an error there).
#pragma once

#include <optional>

#include "codecs/analysers.h"
#include "formats/stream_kinds.h"

namespace quarnel {

// An analyser of a stream's first piece; a video analyser gives the frame rate it found.
using StreamAnalyser = std::optional<double> (*)(const AnalyserInput&, MessageLog&);

StreamAnalyser analyserOf(Coding coding);

}  // namespace quarnel
