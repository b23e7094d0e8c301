// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ps/navigation.h"

#include <string>

#include "io/byte_view.h"
#include "report/text_format.h"

namespace quarnel {

// The packets' fields are read through a ByteView: bytes past a packet's end read as zero.
CopyControlState decodeCopyControl(std::span<const uint8_t> packet) {
    const ByteView p(packet);
    const uint32_t flags = p.u8(control_at::kFlags);
    const uint32_t values = p.u8(control_at::kValues);
    CopyControlState c;
    c.encrypted = (p.u8(control_at::kEncryption) & 0xC0) != 0;
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
    const ByteView p(packet);
    return {p.u32(pci_at::kVobuStartPtm), p.u32(pci_at::kVobuEndPtm)};
}

DsiInfo decodeDsi(std::span<const uint8_t> packet, bool vobLayout) {
    const size_t asynca = vobLayout ? dsi_at::kASyncaVob : dsi_at::kASyncaEvo;
    const size_t spsynca = vobLayout ? dsi_at::kSpSyncaVob : dsi_at::kSpSyncaEvo;
    const ByteView p(packet);
    DsiInfo dsi;
    dsi.vobNumber = p.u16(dsi_at::kVobIdn);
    dsi.startPtm = p.u32(dsi_at::kVobVSPtm);
    dsi.endPtm = p.u32(dsi_at::kVobVEPtm);
    for (int i = 0; i < kASyncaEntries; ++i)
        if (p.u16(asynca + 2 * i) != 0) ++dsi.audioEntries;
    for (int i = 0; i < kSpSyncaEntries; ++i)
        if (p.u32(spsynca + 4 * i) != 0) ++dsi.subpictureEntries;
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
