// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts of the analysers' report lines.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quarnel {

// The general number format: at most 15 significant digits, no trailing zeros, the decimal
// separator of the current locale (48, 44.1, 23.976).
inline std::string formatGeneral(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

// The value taken to the nearest thousandth, ties to even.
inline double roundToThousandth(double value) {
    return std::nearbyint(value * 1000.0) / 1000.0;
}

// Dynamic range gain in dB of an LPCM or MLP range byte: 24.082 dB less 6.0206 dB per step of
// bits 7-5 and 0.2007 dB per step of bits 4-0.
inline double dynamicRangeDb(uint8_t b) {
    return 24.082 - 6.0206 * (b >> 5) - 0.2007 * (b & 0x1F);
}

}  // namespace quarnel
