// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ps/navigation.h"

#include <string>

#include "report/text_format.h"

namespace quarnel {
namespace {

// Big-endian field of the packet; bytes beyond its end read as zero.
uint32_t field(std::span<const uint8_t> p, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | (at + i < p.size() ? p[at + i] : 0);
    return v;
}

}  // namespace

CopyControlState decodeCopyControl(std::span<const uint8_t> packet) {
    const uint32_t flags = field(packet, control_at::kFlags, 1);
    const uint32_t values = field(packet, control_at::kValues, 1);
    CopyControlState c;
    c.encrypted = (field(packet, control_at::kEncryption, 1) & 0xC0) != 0;
    if (flags & 0x80) c.copyState = uint8_t(values >> 5);
    if (flags & 0x40) c.aps = uint8_t((values >> 2) & 7);
    c.ict = (flags & 0x20) && (values & 0x02);
    c.dot = (flags & 0x10) && (values & 0x01);
    return c;
}

void reportCopyControl(std::span<const uint8_t> packet, MessageLog& log) {
    const CopyControlState c = decodeCopyControl(packet);
    if (c.encrypted) log.log("[b]This file is ENCRYPTED![/b] Decrypt it before any process.");
    if (c.copyState != 0) log.log(std::string("[b]") + kCopyStateNames[c.copyState] + "[/b]");
    if (c.aps != 0) log.log(std::string("[b]") + kApsNames[c.aps] + "[/b]");
    if (c.ict) log.log("[b]ICT on, constrained analog output[/b]");
    if (c.dot) log.log("[b]DOT on, analog output not allowed[/b]");
}

VobuTimes decodeVobuTimes(std::span<const uint8_t> packet) {
    return {field(packet, pci_at::kVobuStartPtm, 4), field(packet, pci_at::kVobuEndPtm, 4)};
}

DsiInfo decodeDsi(std::span<const uint8_t> packet, bool vobLayout) {
    const size_t asynca = vobLayout ? dsi_at::kASyncaVob : dsi_at::kASyncaEvo;
    const size_t spsynca = vobLayout ? dsi_at::kSpSyncaVob : dsi_at::kSpSyncaEvo;
    DsiInfo dsi;
    dsi.vobNumber = field(packet, dsi_at::kVobIdn, 2);
    dsi.startPtm = field(packet, dsi_at::kVobVSPtm, 4);
    dsi.endPtm = field(packet, dsi_at::kVobVEPtm, 4);
    for (int i = 0; i < kASyncaEntries; ++i)
        if (field(packet, asynca + 2 * i, 2) != 0) ++dsi.audioEntries;
    for (int i = 0; i < kSpSyncaEntries; ++i)
        if (field(packet, spsynca + 4 * i, 4) != 0) ++dsi.subpictureEntries;
    return dsi;
}

void reportDsi(const DsiInfo& dsi, const StreamCounts& counts, MessageLog& log) {
    const int total = counts.video + counts.audio + counts.sub;
    std::string line = "VOB number " + std::to_string(dsi.vobNumber) + " contains [b]" +
                       std::to_string(counts.video) + "[/b] video " + (counts.sub != 0 ? "," : "and") +
                       " [b]" + std::to_string(counts.audio) + "[/b] audio ";
    if (counts.sub != 0) line += "and [b]" + std::to_string(counts.sub) + "[/b] subpicture ";
    line += total > 1 ? "streams." : "stream.";
    log.log(line);
    log.log("PTM of first video frame = [re]" + hexUpper(dsi.startPtm, 8) + "[/re]");
    log.log("PTM of last video frame = " + hexUpper(dsi.endPtm, 8));
    log.log("Duration = [b]" + formatSpanMs(dsi.seconds()) + "[/b]");
}

}  // namespace quarnel
