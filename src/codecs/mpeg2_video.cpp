// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG-2 video: the first sequence header and sequence extension of the payload, pictures
// that come before the first sequence header, illegal picture coding types and the first PTS.
#include "codecs/mpeg2_video.h"

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

// The bytes of a sequence header as the byte-by-byte reading takes them: the sizes from the
// three payload bytes that end at its third byte, the codes from its fourth, the bit rate from
// the three payload bytes that end at its seventh. A picture start code completed inside the
// header is no byte of it; the header goes on after it.
class SequenceHeaderReading {
  public:
    bool reading() const { return countdown_ > 0; }
    void start() {
        countdown_ = kSequenceHeaderBytes;
        filled_ = 0;
    }
    // Counts one header byte; `code` holds the last four payload bytes, this one last.
    void count(uint32_t code) {
        switch (--countdown_) {
            case 4:
                take(code, 3);
                break;
            case 3:
                take(code, 1);
                break;
            case 0:
                take(code, 3);
                break;
        }
    }
    std::span<const uint8_t> bytes() const { return std::span(bytes_).first(filled_); }

  private:
    void take(uint32_t code, int n) {
        for (int i = n - 1; i >= 0; --i) bytes_[filled_++] = uint8_t(code >> (8 * i));
    }
    std::array<uint8_t, kSequenceHeaderBytes> bytes_{};
    size_t filled_ = 0;
    int countdown_ = 0;
};

}  // namespace

std::optional<Mpeg2SequenceHeader> decodeMpeg2SequenceHeader(std::span<const uint8_t> b) {
    if (b.size() < 3) return std::nullopt;
    Mpeg2SequenceHeader h;
    h.horizontalSizeValue = uint16_t(b[0] << 4 | b[1] >> 4);
    h.verticalSizeValue = uint16_t((b[1] & 0x0F) << 8 | b[2]);
    if (b.size() >= 4) {
        h.aspectRatioInformation = uint8_t(b[3] >> 4);
        h.frameRateCode = uint8_t(b[3] & 0x0F);
    }
    if (b.size() >= 7) h.bitRateValue = uint32_t(b[4]) << 10 | uint32_t(b[5]) << 2 | b[6] >> 6;
    return h;
}

std::optional<Mpeg2SequenceExtension> decodeMpeg2SequenceExtension(std::span<const uint8_t> b) {
    if (b.size() < 2 || b[0] >> 4 != kSequenceExtensionId) return std::nullopt;
    return Mpeg2SequenceExtension{.profileAndLevelIndication = uint8_t((b[0] & 0x0F) << 4 | b[1] >> 4),
                                  .progressiveSequence = (b[1] >> 3 & 1) == 1,
                                  .chromaFormat = uint8_t(b[1] >> 1 & 3)};
}

std::optional<Mpeg2PictureHeader> decodeMpeg2PictureHeader(std::span<const uint8_t> b) {
    if (b.size() < 2) return std::nullopt;
    return Mpeg2PictureHeader{.temporalReference = uint16_t(b[0] << 2 | b[1] >> 6),
                              .pictureCodingType = uint8_t(b[1] >> 3 & 7)};
}

std::optional<double> mpeg2FrameRate(const Mpeg2SequenceHeader& h) {
    if (!h.frameRateCode || kFrameRates[*h.frameRateCode].rate <= 0) return std::nullopt;
    return kFrameRates[*h.frameRateCode].rate;
}

void reportMpeg2SequenceHeader(const Mpeg2SequenceHeader& h, MessageLog& log) {
    log.log("   size = [bl]" + std::to_string(h.horizontalSizeValue) + "[/bl]x[bl]" +
            std::to_string(h.verticalSizeValue) + "[/bl]");
    if (h.aspectRatioInformation) log.log(kAspectRatioLines[*h.aspectRatioInformation]);
    if (h.frameRateCode) log.log(kFrameRates[*h.frameRateCode].line);
    if (h.bitRateValue)
        log.log("  Sequence header bitrate = [bl]" + std::to_string(*h.bitRateValue * 400 / 1000) +
                "[/bl] kbps");
}

void reportMpeg2SequenceExtension(const Mpeg2SequenceExtension& e, MessageLog& log) {
    log.log("   Progressive Sequence = " + std::to_string(e.progressiveSequence ? 1 : 0));
}

void reportMpeg2PictureHeader(const Mpeg2PictureHeader& p, MessageLog& log) {
    if (isIllegalPictureCodingType(p.pictureCodingType))
        log.log("   illegal picture_coding_type = " + std::to_string(p.pictureCodingType));
}

// One pass over the bytes with a 32-bit code register; each byte is taken by the first rule
// that applies: a start code, then the running countdowns of the headers being read. Only the
// sequence headers before the first sequence extension are reported, and only that extension;
// the rate is the last one such a header gives.
// "Main@High" from profile_and_level_indication (escape bit, 3 bits profile, 4 bits level).
std::string mpeg2ProfileName(uint8_t indication) {
    static constexpr std::array<const char*, 8> kProfileNames = {"",     "High",   "Spatial", "SNR",
                                                                 "Main", "Simple", "",        ""};
    static constexpr std::array<const char*, 16> kLevelNames = {
        "", "", "", "", "High", "", "High 1440", "", "Main", "", "Low", "", "", "", "", ""};
    const char* profile = kProfileNames[indication >> 4 & 7];
    const char* level = kLevelNames[indication & 0x0F];
    if ((indication & 0x80) || !*profile || !*level) return "";
    return std::string(profile) + "@" + level;
}

std::optional<double> analyseMpeg2Video(const AnalyserInput& in, MessageLog& log) {
    std::optional<double> frameRate;
    uint32_t r = 0;
    bool sequenceSeen = false;
    bool extensionRead = false;
    int picturesBefore = 0;
    SequenceHeaderReading sequenceHeader;
    std::array<uint8_t, kPictureHeaderBytes> picture{};
    int pictureHeader = 0, extensionStart = 0, pictureCodingExtension = 0, firstPts = 0;
    bool sequenceExtension = false;  // a sequence extension's second byte is awaited
    uint8_t sequenceExtensionFirst = 0;

    // A sequence header is reported when its bytes are all counted, or cut short by the next
    // sequence header code or the end of the payload.
    const auto endSequenceHeader = [&] {
        if (extensionRead) return;
        const std::optional<Mpeg2SequenceHeader> h = decodeMpeg2SequenceHeader(sequenceHeader.bytes());
        if (!h) return;
        reportMpeg2SequenceHeader(*h, log);
        if (const std::optional<double> rate = mpeg2FrameRate(*h)) frameRate = rate;
        if (in.facts) {
            in.facts->width = h->horizontalSizeValue;
            in.facts->height = h->verticalSizeValue;
            in.facts->frameRate = frameRate;
            if (h->bitRateValue) in.facts->bitRate = *h->bitRateValue * 400;
        }
    };

    for (const uint8_t b : in.payload) {
        r = r << 8 | b;
        if (r == kPictureStartCode) {
            pictureHeader = kPictureHeaderBytes;
        } else if (r == kSequenceHeaderCode) {
            if (sequenceHeader.reading()) endSequenceHeader();
            sequenceHeader.start();
            if (!sequenceSeen) {
                log.log("   Sequence Header found");
                if (picturesBefore > 0)
                    log.log("   " + std::to_string(picturesBefore) + " frames before first Sequence Header");
                sequenceSeen = true;
                firstPts = kPicturesToFirstPts;
            }
            picturesBefore = 0;
        } else if (sequenceHeader.reading()) {
            sequenceHeader.count(r);
            if (!sequenceHeader.reading()) endSequenceHeader();
        } else if (pictureHeader > 0) {
            picture[kPictureHeaderBytes - pictureHeader] = b;
            if (--pictureHeader == 0) reportMpeg2PictureHeader(*decodeMpeg2PictureHeader(picture), log);
        } else if (r == kExtensionStartCode) {
            extensionStart = 1;
        } else if (extensionStart > 0) {
            extensionStart = 0;
            const uint8_t id = b >> 4;
            if (id == kPictureCodingExtensionId) {
                if (sequenceSeen) pictureCodingExtension = kPictureCodingExtensionBytes;
                ++picturesBefore;
            } else if (id == kSequenceExtensionId) {
                sequenceExtension = true;
                sequenceExtensionFirst = b;
            }
        } else if (pictureCodingExtension > 0) {
            // At its fourth byte after the identifier the picture is complete; the first PTS is
            // reported at the second picture after the first sequence header.
            if (--pictureCodingExtension == 1 && firstPts > 0 && --firstPts == 0)
                log.log("   First Video PTS = " +
                        (in.videoPts ? hexUpper(*in.videoPts, 8) : std::string("none")));
        } else if (sequenceExtension) {
            sequenceExtension = false;
            const std::array<uint8_t, 2> extension = {sequenceExtensionFirst, b};
            if (!extensionRead) {
                const Mpeg2SequenceExtension e = *decodeMpeg2SequenceExtension(extension);
                reportMpeg2SequenceExtension(e, log);
                if (in.facts) in.facts->profile = mpeg2ProfileName(e.profileAndLevelIndication);
                extensionRead = true;
            }
        }
    }
    if (sequenceHeader.reading()) endSequenceHeader();
    return frameRate;
}

}  // namespace quarnel
