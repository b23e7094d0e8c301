// SPDX-License-Identifier: GPL-3.0-or-later
// Number and time texts of the log: upper-case hexadecimal with a fixed digit count and
// time spans shown as a time of day.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {

std::string hexUpper(uint64_t value, int digits);

// The text with each control character (below 0x20, and 0x7F) shown as "\xNN", so that names
// taken from files cannot steer a terminal.
std::string escapeControls(std::string_view text);

// A span in seconds as "h:mm:ss.zzz" (separator '.') or "h:mm:ss:zzz" (separator ':'); the
// hours wrap at 24 and the milliseconds are rounded to the nearest.
std::string formatSpanMs(double seconds, char msSeparator = '.');
// A span in seconds as "h:mm:ss", whole seconds.
std::string formatSpan(double seconds);

}  // namespace quarnel
