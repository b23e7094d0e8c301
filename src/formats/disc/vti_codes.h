// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the attribute codes shown on the "VTI" page, indexed by the value of the bit
// field. An empty text is a code shown as nothing.
#pragma once

namespace quarnel {

// Video coding, 3 bits.
constexpr const char* kVideoCodings[] = {"MPEG-1", "MPEG-2", "MPEG-4 AVC", "VC-1", "4", "5", "6", "7"};
// Video resolution, 4 bits; codes 13 to 15 have no entry.
constexpr const char* kVideoResolutions[] = {
    "352x240(288)", "352x480(576)", "480x480(576)", "544x480(576)", "704x480(576)", "720x480(576)", "--",
    "--",           "1280x720",     "960x1080",     "1280x1080",    "1440x1080",    "1920x1080"};
// TV system, 3 bits; codes 4 to 7 have no entry.
constexpr const char* kTvSystems[] = {"525/60Hz", "625/50Hz", "Enhanced 60Hz", "Enhanced 50Hz"};
// Scan, 2 bits; codes 2 and 3 have no entry.
constexpr const char* kScanKinds[] = {"interlaced", "progressive"};
// Aspect ratio, 2 bits: the entry shown is the code divided by 3.
constexpr const char* kAspectRatios[] = {"4:3", "16:9"};

// Audio coding, the upper six bits of an audio entry's first byte; codes 8 to 63 have no entry.
struct AudioCoding {
    const char* text;
    bool quantization;  // the grid shows the quantization of this coding
};
constexpr AudioCoding kAudioCodings[] = {{"AC-3 - IO VTS", false}, {"MLP/True HD", true},   {"MPEG-1", false},
                                         {"MPEG-2", false},        {"LPCM - IO VTS", true}, {"LPCM", true},
                                         {"DTS/DTS-HD", false},    {"DD/DD+", false}};
// Audio sampling frequency, the upper three bits of the second byte.
constexpr const char* kAudioFrequencies[] = {"48 kHz", "96 kHz", "192 kHz", "", "", "", "", ""};
// Subpicture coding, the upper three bits of a subpicture entry's first byte.
constexpr const char* kSubpictureCodings[] = {"2 bit RLE (old)", "2 bit RLE", "", "",
                                              "8 bit RLE",       "",          "", ""};

// The information record's lists.
constexpr const char* kAppTypes[] = {"---", "Standard VTS", "Advanced VTS", "Interoperable VTS"};
constexpr const char* kAudioGaps[] = {"No audio gap", "Audio gap in 1.", "Audio gap in 2.",
                                      "Audio gap in 3."};

// The grids' header rows.
constexpr const char* kAudioGridHeader[] = {"No.", "Coding", "Frequency", "Quantization", "Channels"};
constexpr const char* kSubpictureGridHeader[] = {"No.", "Coding"};

}  // namespace quarnel
