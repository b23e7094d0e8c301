// MPEG-2 video: the first sequence header and sequence extension of the payload, pictures
// that come before the first sequence header, illegal picture coding types and the first PTS.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

constexpr uint32_t kPictureStartCode = 0x00000100;
constexpr uint32_t kSequenceHeaderCode = 0x000001B3;
constexpr uint32_t kExtensionStartCode = 0x000001B5;
constexpr uint8_t kSequenceExtensionId = 1;
constexpr uint8_t kPictureCodingExtensionId = 8;

// Countdowns in bytes from the byte after a code or an extension identifier.
constexpr int kSequenceHeaderBytes = 7;
constexpr int kPictureHeaderBytes = 2;
constexpr int kPictureCodingExtensionBytes = 5;
constexpr int kPicturesToFirstPts = 2;

struct FrameRate {
    std::string_view line;
    double rate;  // stored for the frame report; 0 (none) for the forbidden and reserved codes
};

// By frame_rate_code.
constexpr std::array<FrameRate, 16> kFrameRates = {{
    {"   Frame rate = forbidden", 0},
    {"   Frame rate = [bl]23.976[/bl] fps", 24000.0 / 1001},
    {"   Frame rate = [bl]24[/bl] fps", 24},
    {"   Frame rate = [bl]25[/bl] fps", 25},
    {"   Frame rate = [bl]29.97[/bl] fps", 30000.0 / 1001},
    {"   Frame rate = [bl]30[/bl] fps", 30},
    {"   Frame rate = [bl]50[/bl] fps", 50},
    {"   Frame rate = [bl]59.94[/bl] fps", 60000.0 / 1001},
    {"   Frame rate = [bl]60[/bl] fps", 60},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
    {"   Frame rate = reserved", 0},
}};

// By aspect_ratio_information.
constexpr std::array<std::string_view, 16> kAspectRatioLines = {
    "   Aspect ratio = forbidden",       "   Aspect ratio = [bl]1:1[/bl] (square samples)",
    "   Aspect ratio = [bl]4:3[/bl]",    "   Aspect ratio = [bl]16:9[/bl]",
    "   Aspect ratio = [bl]2.21:1[/bl]", "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
    "   Aspect ratio = reserved",        "   Aspect ratio = reserved",
};

bool isIllegalPictureCodingType(uint32_t type) {
    return type == 0 || type >= 4;
}

}  // namespace

// One pass over the bytes with a 32-bit code register; each byte is taken by the first rule
// that applies: a start code, then the running countdowns of the headers being read.
std::optional<double> analyseMpeg2Video(const AnalyserInput& in, MessageLog& log) {
    std::optional<double> frameRate;
    uint32_t r = 0;
    bool sequenceSeen = false;
    bool extensionRead = false;
    int picturesBefore = 0;
    int sequenceHeader = 0, pictureHeader = 0, extensionStart = 0, pictureCodingExtension = 0;
    int sequenceExtension = 0, firstPts = 0;
    for (const uint8_t b : in.payload) {
        r = r << 8 | b;
        if (r == kPictureStartCode) {
            pictureHeader = kPictureHeaderBytes;
        } else if (r == kSequenceHeaderCode) {
            sequenceHeader = kSequenceHeaderBytes;
            if (!sequenceSeen) {
                log.log("   Sequence Header found");
                if (picturesBefore > 0)
                    log.log("   " + std::to_string(picturesBefore) + " frames before first Sequence Header");
                sequenceSeen = true;
                firstPts = kPicturesToFirstPts;
            }
            picturesBefore = 0;
        } else if (sequenceHeader > 0) {
            --sequenceHeader;
            if (extensionRead) continue;
            if (sequenceHeader == 4) {  // horizontal_size_value, vertical_size_value
                log.log("   size = [bl]" + std::to_string(r >> 12 & 0xFFF) + "[/bl]x[bl]" +
                        std::to_string(r & 0xFFF) + "[/bl]");
            } else if (sequenceHeader == 3) {  // aspect_ratio_information, frame_rate_code
                log.log(kAspectRatioLines[b >> 4]);
                log.log(kFrameRates[b & 0x0F].line);
                if (kFrameRates[b & 0x0F].rate > 0) frameRate = kFrameRates[b & 0x0F].rate;
            } else if (sequenceHeader == 0) {  // the 18-bit bit_rate_value in units of 400 bit/s
                const uint32_t bitRateValue = r >> 6 & 0x3FFFF;
                log.log("  Sequence header bitrate = [bl]" + std::to_string(bitRateValue * 400 / 1000) +
                        "[/bl] kbps");
            }
        } else if (pictureHeader > 0) {
            if (--pictureHeader == 0) {
                const uint32_t type = r >> 3 & 7;
                if (isIllegalPictureCodingType(type))
                    log.log("   illegal picture_coding_type = " + std::to_string(type));
            }
        } else if (r == kExtensionStartCode) {
            extensionStart = 1;
        } else if (extensionStart > 0) {
            extensionStart = 0;
            const uint8_t id = b >> 4;
            if (id == kPictureCodingExtensionId) {
                if (sequenceSeen) pictureCodingExtension = kPictureCodingExtensionBytes;
                ++picturesBefore;
            } else if (id == kSequenceExtensionId) {
                sequenceExtension = 1;
            }
        } else if (pictureCodingExtension > 0) {
            // At its fourth byte after the identifier the picture is complete; the first PTS is
            // reported at the second picture after the first sequence header.
            if (--pictureCodingExtension == 1 && firstPts > 0 && --firstPts == 0)
                log.log("   First Video PTS = " + hexUpper(in.videoPts, 8));
        } else if (sequenceExtension > 0) {
            sequenceExtension = 0;
            if (!extensionRead) {
                log.log("   Progressive Sequence = " + std::to_string(b >> 3 & 1));
                extensionRead = true;
            }
        }
    }
    return frameRate;
}

}  // namespace quarnel
