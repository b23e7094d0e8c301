// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/coding_behaviour.h"

namespace quarnel {
namespace {

// An analyser that finds no frame rate (audio, subpictures), in the analysers' one shape.
template <void (*Analyse)(const AnalyserInput&, MessageLog&)>
std::optional<double> withoutRate(const AnalyserInput& in, MessageLog& log) {
    Analyse(in, log);
    return std::nullopt;
}

}  // namespace

StreamAnalyser analyserOf(Coding coding) {
    switch (coding) {
        case Coding::Mpeg2:
            return analyseMpeg2Video;
        case Coding::H264:
            return analyseH264;
        case Coding::Vc1:
            return analyseVc1;
        case Coding::Ac3:
        case Coding::Eac3:
            return withoutRate<analyseDolby>;
        case Coding::Dts:
            return withoutRate<analyseDts>;
        case Coding::Lpcm:
            return withoutRate<analyseLpcm>;
        case Coding::AobMlp:
        case Coding::TrueHd:
            return withoutRate<analyseMlp>;
        case Coding::MpegAudio:
            return withoutRate<analyseMpegAudio>;
        case Coding::Subpicture:
        case Coding::ExtSubpicture:
            return withoutRate<analyseSubpicture>;
    }
    return withoutRate<analyseSubpicture>;  // not reached: every coding has its case
}

}  // namespace quarnel
