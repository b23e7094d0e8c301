// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the analyser tests: the lines an analyser logs, the stored stream snippets, and a
// bit writer for hand-made headers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/analysers.h"
#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/recording_host.h"

namespace quarnel::test {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

inline AnalyserInput inputOf(const Bytes& payload, const Bytes& privateHeader = {}) {
    AnalyserInput in;
    in.payload = payload;
    in.privateHeader = privateHeader;
    return in;
}

// What an analyser logs and, for video, the frame rate it returns.
struct Report {
    Lines lines;
    std::optional<double> frameRate;
};
template <typename Analyser>
Report reportOf(Analyser analyse, const AnalyserInput& in) {
    fixtures::RecordingHost host;
    MessageLog log(host);
    Report r;
    if constexpr (std::is_void_v<decltype(analyse(in, log))>)
        analyse(in, log);
    else
        r.frameRate = analyse(in, log);
    r.lines = host.markup;
    return r;
}

// The expected lines that were not logged.
inline Lines missing(const Lines& logged, const Lines& expected) {
    Lines out;
    for (const auto& e : expected)
        if (std::find(logged.begin(), logged.end(), e) == logged.end()) out.push_back(e);
    return out;
}

// A stream snippet from tests/data/analysers.
inline Bytes snippet(const std::string& name) {
    return fixtures::readFile(std::string(QUARNEL_SOURCE_DIR) + "/tests/data/analysers/" + name);
}

// Writes fields most significant bit first, and Exp-Golomb codes.
class BitWriter {
  public:
    BitWriter& bits(uint64_t value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used_ == 0) bytes_.push_back(0);
            if (value >> i & 1) bytes_.back() |= uint8_t(0x80 >> used_);
            used_ = (used_ + 1) % 8;
        }
        return *this;
    }
    BitWriter& ue(uint32_t value) {
        const uint64_t v = uint64_t(value) + 1;
        int length = 0;
        while (v >> (length + 1)) ++length;
        return bits(0, length).bits(v, length + 1);
    }
    BitWriter& se(int32_t v) { return ue(v > 0 ? uint32_t(2 * v - 1) : uint32_t(-2 * int64_t(v))); }
    // The bytes with a stop bit after the last field.
    Bytes done() const { return BitWriter(*this).bits(1, 1).bytes_; }

  private:
    Bytes bytes_;
    int used_ = 0;
};

// A start code 00 00 01 `code` and the unit as carried: an emulation prevention byte 03 after
// every 00 00 that a byte up to 03 follows.
inline Bytes withStartCode(uint8_t code, const Bytes& unit) {
    Bytes out = {0x00, 0x00, 0x01, code};
    int zeros = 0;
    for (uint8_t b : unit) {
        if (zeros >= 2 && b <= 0x03) {
            out.push_back(0x03);
            zeros = 0;
        }
        out.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
}

}  // namespace quarnel::test
