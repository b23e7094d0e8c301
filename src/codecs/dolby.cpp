// Dolby Digital (AC-3) and Dolby Digital Plus (E-AC-3): the first syncframe header of the
// payload, told apart by its bsid.
#include <array>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"

namespace quarnel {
namespace {

constexpr uint16_t kSyncword = 0x0B77;

// Audio blocks per frame by numblkscod.
constexpr std::array<uint32_t, 4> kBlocksPerFrame = {1, 2, 3, 6};

// Channel arrangement by acmod.
constexpr std::array<std::string_view, 8> kAcmodNames = {
    "dual mono", "mono",          "L + R",           "L + R + C",
    "L + R + S", "L + R + C + S", "L + R + Ls + Rs", "L + R + C + Ls + Rs",
};

struct SyncframeHeader {
    uint32_t frmsiz = 0;   // E-AC-3 frame size in 16-bit words, less one
    uint32_t fs = 0;       // Hz; 0 = invalid
    uint32_t bitrate = 0;  // bit/s; 0 = invalid
    uint32_t blocks = 0;
    uint32_t acmod = 0;
    uint32_t lfeon = 0;
    uint32_t bsid = 0;
    uint32_t bsmod = 0;
};

bool isDolbyDigitalPlus(uint32_t bsid) {
    return bsid >= 11 && bsid <= 16;
}

void reportPlus(const SyncframeHeader& h, int index, MessageLog& log) {
    log.log("   Stream " + std::to_string(index) + " is [b]Dolby Digital Plus[/b]");
    log.log("   frame size = " + std::to_string((h.frmsiz + 1) * 2) +
            " bytes, number of blocks per frame = " + std::to_string(h.blocks));
    log.log("   Sampling frequency = [bl]" + formatGeneral(h.fs / 1000.0) + "[/bl] kHz");
    log.log("   Transmission bitrate = [bl]" + std::to_string(h.bitrate / 1000) + "[/bl] kbit/s");
    log.log("   Channel arrangement = [bl]" + std::string(kAcmodNames[h.acmod]) +
            "[/bl], bsid = " + std::to_string(h.bsid));
    log.log(std::string("   LFE channel = [bl]") + (h.lfeon == 1 ? "present" : "not present") + "[/bl]");
}

void reportDolbyDigital(const SyncframeHeader& h, int index, MessageLog& log) {
    log.log("   Stream " + std::to_string(index) + " is [b]Dolby Digital[/b]");
    log.log("   Sampling frequency = [bl]" + formatGeneral(h.fs / 1000.0) + "[/bl] kHz");
    log.log("   Transmission bitrate = [bl]" + std::to_string(h.bitrate / 1000) + "[/bl] kbit/s");
    log.log("   Channel arrangement = [bl]" + std::string(kAcmodNames[h.acmod]) +
            "[/bl], bsid = " + std::to_string(h.bsid) + ", bsmod =" + std::to_string(h.bsmod));
}

}  // namespace

// Scans every byte of the payload. Each syncword starts a header, read from the five bytes
// that follow it and reported at the fifth; an invalid header (bad sample rate or bit rate
// code) is reported too and lets the next syncword start a new one, while after the first
// valid header the rest of the payload is only scanned.
void analyseDolby(const AnalyserInput& in, MessageLog& log) {
    uint32_t reg = 0;
    bool found = false;
    int countdown = 0;
    SyncframeHeader h;
    for (const uint8_t b : in.payload) {
        reg = reg << 8 | b;
        if (countdown == 0) {
            // Bytes inside a header are always header bytes, even when two of them read 0B 77.
            if ((reg & 0xFFFF) == kSyncword && !found) {
                found = true;
                countdown = 5;
            }
            continue;
        }
        --countdown;
        switch (countdown) {
            case 4:  // byte 2: high bits of the E-AC-3 frame size (the AC-3 CRC)
                h.frmsiz = (b & 7u) << 8;
                break;
            case 3:
                h.frmsiz |= b;
                break;
            case 2:  // fscod, frmsizecod (AC-3) or numblkscod, acmod, lfeon (E-AC-3)
                h.fs = kAc3SampleRates[b >> 6];
                h.bitrate = (b & 0x3F) / 2 < kAc3BitRates.size() ? kAc3BitRates[(b & 0x3F) / 2] : 0;
                h.blocks = kBlocksPerFrame[b >> 4 & 3];
                h.acmod = b >> 1 & 7;
                h.lfeon = b & 1;
                break;
            case 1:
                h.bsid = b >> 3;
                h.bsmod = b & 7;
                break;
            case 0:
                if (isDolbyDigitalPlus(h.bsid)) {
                    if (h.fs == 0) {
                        found = false;
                    } else {
                        // The frame's bits over the duration of its blocks at 48 kHz.
                        h.bitrate = 750 / h.blocks * (h.frmsiz + 1) * 16 / 4;
                    }
                    reportPlus(h, in.index, log);
                } else {
                    h.acmod = b >> 5;
                    if (h.fs == 0 || h.bitrate == 0) found = false;
                    reportDolbyDigital(h, in.index, log);
                }
                break;
        }
    }
}

}  // namespace quarnel
