// SPDX-License-Identifier: GPL-3.0-or-later
// Each stream header analyser over arbitrary payloads. The payload is copied into a buffer of
// exactly its size, so any read past its end is reported.
//   byte 0: the analyser (modulo 8), byte 1: bit 0 an .AOB source, bits 1-4 the length of the
//   private header that follows (0 to 15); the rest is the payload.
#include <cmath>
#include <memory>

#include "codecs/analysers.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int which = data[0] % 9;
    const size_t headerLength = std::min<size_t>((data[1] >> 1) & 15, size - 2);
    const std::vector<uint8_t> header(data + 2, data + 2 + headerLength);
    const size_t payloadLength = size - 2 - headerLength;
    const auto payload = std::make_unique<uint8_t[]>(payloadLength);
    std::memcpy(payload.get(), data + 2 + headerLength, payloadLength);

    CheckingHost host;
    MessageLog log(host);
    const AnalyserInput in{
        {payload.get(), payloadLength}, header, 0, 0x12345678, bool(data[1] & 1)};
    std::optional<double> rate;
    switch (which) {
        case 0:
            analyseDolby(in, log);
            break;
        case 1:
            analyseDts(in, log);
            break;
        case 2:
            analyseLpcm(in, log);
            break;
        case 3:
            analyseMlp(in, log);
            break;
        case 4:
            rate = analyseMpeg2Video(in, log);
            break;
        case 5:
            rate = analyseH264(in, log);
            break;
        case 6:
            rate = analyseVc1(in, log);
            break;
        case 7:
            analyseMpegAudio(in, log);
            break;
        default:
            analyseSubpicture(in, log);
            break;
    }
    // A frame rate feeds the frame report's durations: it must be a real, positive rate.
    if (rate)
        check(std::isfinite(*rate) && *rate > 0,
              "an analyser gave a frame rate that is not a positive number");
    return 0;
}
