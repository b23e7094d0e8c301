// Shared by the analyser tests: a host that records the logged lines, the stored stream
// snippets, and a bit writer for hand-made headers.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysers/analysers.h"
#include "shell/host.h"
#include "shell/message_log.h"

namespace quarnel::test {

class LineRecorder : public Host {
  public:
    void appendLog(std::string_view markup, const LogLine&) override { lines.emplace_back(markup); }
    void clearLog() override { lines.clear(); }
    void setStatus(int, const std::string&) override {}
    void pumpEvents() override {}
    bool askYesNo(const std::string&) override { return false; }
    void showError(const std::string&) override {}
    void showPage(Page) override {}

    std::vector<std::string> lines;
};

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

inline AnalyserInput inputOf(const Bytes& payload, const Bytes& privateHeader = {}) {
    AnalyserInput in;
    in.payload = payload;
    in.privateHeader = privateHeader;
    return in;
}

// The lines an audio or subpicture analyser logs for the input.
template <typename Analyser>
Lines logOf(Analyser analyse, const AnalyserInput& in) {
    LineRecorder host;
    MessageLog log(host);
    analyse(in, log);
    return host.lines;
}

// The lines a video analyser logs for the input and the frame rate it returns.
struct VideoReport {
    Lines lines;
    std::optional<double> frameRate;
};
template <typename Analyser>
VideoReport videoReportOf(Analyser analyse, const AnalyserInput& in) {
    LineRecorder host;
    MessageLog log(host);
    const std::optional<double> rate = analyse(in, log);
    return {host.lines, rate};
}

// A stream snippet from tests/data/analysers.
inline Bytes snippet(const std::string& name) {
    std::ifstream file(std::string(QUARNEL_SOURCE_DIR) + "/tests/data/analysers/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

// Writes fields most significant bit first, and Exp-Golomb codes.
class BitWriter {
  public:
    BitWriter& bits(uint64_t value, int n) {
        for (int i = n - 1; i >= 0; --i) bit(value >> i & 1);
        return *this;
    }
    BitWriter& ue(uint32_t value) {
        const uint64_t v = uint64_t(value) + 1;
        int length = 0;
        while (v >> (length + 1)) ++length;
        bits(0, length);
        return bits(v, length + 1);
    }
    BitWriter& se(int32_t value) {
        return ue(value > 0 ? uint32_t(2 * value - 1) : uint32_t(-2 * int64_t(value)));
    }
    BitWriter& raw(const Bytes& b) {
        for (uint8_t x : b) bits(x, 8);
        return *this;
    }
    // Pads the last byte with a stop bit and zeros.
    Bytes done() const {
        BitWriter padded = *this;
        padded.bit(1);
        return padded.bytes_;
    }
    const Bytes& bytes() const { return bytes_; }

  private:
    void bit(int b) {
        if (used_ == 0) bytes_.push_back(0);
        if (b) bytes_.back() |= uint8_t(0x80 >> used_);
        used_ = (used_ + 1) % 8;
    }
    Bytes bytes_;
    int used_ = 0;
};

}  // namespace quarnel::test

namespace quarnel::test {

// A unit as it is carried after its start code: every 00 00 followed by a byte up to 03 gets
// an emulation prevention byte 03 in between.
inline Bytes escaped(const Bytes& unit) {
    Bytes out;
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

// Start code 00 00 01 and the code byte, then the escaped unit.
inline Bytes withStartCode(uint8_t code, const Bytes& unit) {
    Bytes out = {0x00, 0x00, 0x01, code};
    const Bytes body = escaped(unit);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace quarnel::test
