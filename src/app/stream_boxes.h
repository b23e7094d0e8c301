// SPDX-License-Identifier: GPL-3.0-or-later
// The 56 stream tick boxes (video 0-7, audio 0-15, subpicture 0-31) and the buttons whose
// enabled state follows from them.
#pragma once

#include <array>
#include <string>

#include "formats/ps/stream_table.h"

namespace quarnel {

struct StreamBox {
    bool enabled = false;
    bool ticked = false;
    std::string caption;
    std::string tooltip;
};

constexpr int kVideoBoxes = 8;  // only the first kUsedVideoBoxes are visible and used
constexpr int kUsedVideoBoxes = kUsedVideoSlots;
constexpr int kAudioBoxes = kAudioSlots;
constexpr int kSubBoxes = kSubSlots;

constexpr const char* kNoVideoCaption = "No video stream";
constexpr const char* kNoAudioCaption = "No audio stream";
constexpr const char* kNoSubCaption = "No subpicture";

struct StreamBoxes {
    std::array<StreamBox, kVideoBoxes> video;
    std::array<StreamBox, kAudioBoxes> audio;
    std::array<StreamBox, kSubBoxes> sub;

    bool anyTicked() const;
};

// The caption of the box of slot `slot` holding stream `id`: the kind's caption and the slot
// number (one digit for video, two for the others); "" for an id of no kind.
std::string boxCaption(StreamKind kind, int32_t id, size_t slot, bool aob);

// Whether each control that starts or stops something can be used now.
struct Buttons {
    bool readSource = false;
    bool readPlaylist = false;
    bool demux = false;
    bool rebuild = false;
    bool makeMkv = false;  // EVO and VOB sources with a ticked stream
    bool chooseSource = true;
    bool choosePlaylist = true;
    bool readVti = true;
    bool writeChapters = false;  // enabled by a playlist read that found chapters
};

}  // namespace quarnel
