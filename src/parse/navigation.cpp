#include "parse/navigation.h"

#include <string>

#include "shell/text_format.h"

namespace quarnel {
namespace {

// Big-endian field of the packet; bytes beyond its end read as zero.
uint32_t field(std::span<const uint8_t> p, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | (at + i < p.size() ? p[at + i] : 0);
    return v;
}

}  // namespace

void reportCopyControl(std::span<const uint8_t> packet, MessageLog& log) {
    if (field(packet, kControlEncryption, 1) & 0xC0)
        log.log("[b]This file is ENCRYPTED![/b] Decrypt it before any process.");
    const uint32_t flags = field(packet, kControlFlags, 1);
    const uint32_t values = field(packet, kControlValues, 1);
    const uint32_t copyState = values >> 5, aps = (values >> 2) & 7;
    if ((flags & 0x80) && copyState != 0) log.log(std::string("[b]") + kCopyStateNames[copyState] + "[/b]");
    if ((flags & 0x40) && aps != 0) log.log(std::string("[b]") + kApsNames[aps] + "[/b]");
    if ((flags & 0x20) && (values & 0x02)) log.log("[b]ICT on, constrained analog output[/b]");
    if ((flags & 0x10) && (values & 0x01)) log.log("[b]DOT on, analog output not allowed[/b]");
}

void examineDsi(std::span<const uint8_t> packet, bool vobLayout, bool report, StreamCounts& counts,
                RunValues& run, MessageLog& log) {
    const size_t asynca = vobLayout ? kDsiASyncaVob : kDsiASyncaEvo;
    const size_t spsynca = vobLayout ? kDsiSpSyncaVob : kDsiSpSyncaEvo;
    if (counts.audio == 0)
        for (int i = 0; i < kASyncaEntries; ++i)
            if (field(packet, asynca + 2 * i, 2) != 0) ++counts.audio;
    counts.sub = 0;
    for (int i = 0; i < kSpSyncaEntries; ++i)
        if (field(packet, spsynca + 4 * i, 4) != 0) ++counts.sub;

    if (report) {
        const int total = counts.video + counts.audio + counts.sub;
        std::string line = "VOB number " + std::to_string(field(packet, kDsiVobIdn, 2)) + " contains [b]" +
                           std::to_string(counts.video) + "[/b] video " + (counts.sub != 0 ? "," : "and") +
                           " [b]" + std::to_string(counts.audio) + "[/b] audio ";
        if (counts.sub != 0) line += "and [b]" + std::to_string(counts.sub) + "[/b] subpicture ";
        line += total > 1 ? "streams." : "stream.";
        log.log(line);
    }

    const uint32_t start = field(packet, kDsiVobVSPtm, 4);
    if (run.firstPtm == 0) run.firstPtm = start;
    if (report) log.log("PTM of first video frame = [re]" + hexUpper(start, 8) + "[/re]");
    const uint32_t end = field(packet, kDsiVobVEPtm, 4);
    run.lastEndPtm = end;
    run.endPtmSum += end;
    if (report) log.log("PTM of last video frame = " + hexUpper(end, 8));
    const double seconds = double(uint32_t(end - start)) / 90000.0;
    run.videoDurationSum += seconds;
    run.fileDuration = seconds;
    if (report) log.log("Duration = [b]" + formatSpanMs(seconds) + "[/b]");
}

}  // namespace quarnel
