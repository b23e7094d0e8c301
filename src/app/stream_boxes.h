// The 56 stream tick boxes (cbVideo0..7, cbAudio00..15, cbSub00..31) and the buttons whose
// enabled state follows from them.
#pragma once

#include <array>
#include <string>

#include "formats/stream_table.h"

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

struct Buttons {
    bool bReadEVO = false;
    bool bReadXPL = false;
    bool bDemux = false;
    bool bRebuild = false;
    bool bCancel = false;
    bool bbEVO = true;
    bool bbXPL = true;
    bool bReadVTI = true;
    bool bWriteChaps = false;  // enabled by a playlist read that found chapters
};

}  // namespace quarnel
