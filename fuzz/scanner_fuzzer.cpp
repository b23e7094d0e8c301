// SPDX-License-Identifier: GPL-3.0-or-later
// The program-stream scanner over arbitrary bytes, fed once whole and once in chunks of
// changing sizes: what it finds (streams, payload bytes per stream, navigation packets) must
// not depend on where the chunks end. Each chunk is copied into a buffer of exactly its size,
// so any read outside it is reported.
//   byte 0: bit 0 the analysis mode, bits 1-7 and byte 1 pick the chunk sizes; byte 1 bit 7 also
//   names the bytes an .AOB (DVD-Audio private headers)
#include <memory>
#include <optional>
#include <tuple>

#include "formats/ps/scanner.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

namespace {

struct Event {
    int what;  // 0 reveal, 1 payload, 2 navigation, 3 malformed
    std::tuple<int, int, int, std::optional<uint64_t>> key;
    std::vector<uint8_t> bytes;
    bool operator==(const Event&) const = default;
};

struct RecordingSink {
    const uint8_t* buf = nullptr;
    size_t size = 0;
    std::vector<Event> events;
    std::array<bool, 2> video{};
    std::array<bool, 16> audio{};
    std::array<bool, 32> sub{};

    void reveal(ScanState& st, StreamKind kind, int index, int id) {
        check(index >= 0, "a negative slot");
        bool* taken = nullptr;
        if (kind == StreamKind::Video) {
            check(index < 2, "a video slot out of range");
            taken = &video[size_t(index)];
        } else if (kind == StreamKind::Audio) {
            check(index < 16, "an audio slot out of range");
            taken = &audio[size_t(index)];
        } else {
            check(index < 32, "a subpicture slot out of range");
            taken = &sub[size_t(index)];
        }
        if (*taken) return;
        *taken = true;
        events.push_back({0, {int(kind), index, id, st.currentPts}, {}});
    }

    void payload(ScanState& st, size_t offset, size_t count) {
        check(offset <= size && count <= size - offset, "a payload piece outside the chunk");
        const int index = st.kind == PacketKind::Video   ? st.videoIndex
                          : st.kind == PacketKind::Audio ? st.audioIndex
                                                         : st.subIndex;
        const std::tuple<int, int, int, std::optional<uint64_t>> key{
            int(st.kind), index, int(st.privateHeaderLength), st.currentPts};
        // Pieces of one packet cut by a chunk end join again.
        if (events.empty() || events.back().what != 1 || events.back().key != key || count == 0)
            events.push_back({1, key, {}});
        events.back().bytes.insert(events.back().bytes.end(), buf + offset, buf + offset + count);
    }

    void malformed(ScanState&, uint8_t subId) { events.push_back({3, {subId, 0, 0, 0}, {}}); }

    void navigation(ScanState&, uint8_t subId, std::span<const uint8_t> packet) {
        check(!packet.empty() && packet.size() <= kNavPacketMax, "a navigation packet of a wrong size");
        events.push_back({2, {subId, 0, 0, 0}, {packet.begin(), packet.end()}});
    }
};

std::vector<Event> scanInChunks(std::span<const uint8_t> bytes, bool analysis, bool aob, uint32_t seed) {
    static constexpr size_t kSizes[] = {1, 2, 3, 5, 13, 188, 2047, 2048, 2049, 65536};
    ScanState st;
    st.aob = aob;
    RecordingSink sink;
    Scanner<RecordingSink> scanner(st, sink, analysis);
    const bool whole = seed == 0;
    size_t at = 0;
    while (at < bytes.size()) {
        seed = seed * 1103515245u + 12345u;
        const size_t n = whole ? bytes.size() : std::min(kSizes[(seed >> 16) % 10], bytes.size() - at);
        const auto chunk = std::make_unique<uint8_t[]>(n);
        std::memcpy(chunk.get(), bytes.data() + at, n);
        sink.buf = chunk.get();
        sink.size = n;
        scanner.scan(chunk.get(), n);
        at += n;
    }
    scanner.finish();
    // Empty payload pieces are not findings.
    std::erase_if(sink.events, [](const Event& e) { return e.what == 1 && e.bytes.empty(); });
    return sink.events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool analysis = data[0] & 1;
    const uint32_t seed = uint32_t(data[0] >> 1 | data[1] << 7) + 1;
    const std::span<const uint8_t> bytes(data + 2, size - 2);
    const bool aob = data[1] & 0x80;
    const auto whole = scanInChunks(bytes, analysis, aob, 0);
    const auto chunked = scanInChunks(bytes, analysis, aob, seed);
    check(whole == chunked, "the scanner found other things when fed in chunks");
    return 0;
}
