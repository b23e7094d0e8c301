// The user's options, with the window's defaults. Each field stands for the control of
// the same name and is read at the moment of use.
#pragma once

#include <string>

namespace quarnel {

enum class AutoProcess { None, Demux, Rebuild };  // rbNoAuto, rbAutoDemux, rbAutoRebuild

struct Options {
    bool cbContinue = true;    // "Continue with the next EVO"
    bool cbFastCheck = true;   // "Fast EVO checking"
    int ieFastSize = 300;      // MB read by a fast check
    bool cbCountFr = true;     // "Count frames"
    bool cbDetails = true;     // "Detailed info"
    bool cbAutoRead = true;    // "Auto read"
    bool cbAutoClear = false;  // "Auto clear"
    AutoProcess autoProcess = AutoProcess::None;
    bool cbRBAdvanced = false;  // "Rebuild ADV_PCKs"
    bool cbAdjustPTS = false;   // "Adjust PTS of the EVOs to follow"
    bool cbReadVTI = true;      // "Read .VTI file"
    std::string eVideoExt = "mpv";
    std::string eAudioExt = "mpa";
    std::string eSubExt = "sup";
    std::string eWorkdir;  // "Output folder"
};

}  // namespace quarnel
