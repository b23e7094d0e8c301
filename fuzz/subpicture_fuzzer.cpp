// SPDX-License-Identifier: GPL-3.0-or-later
// Subpicture units and .sup files over arbitrary bytes. The bytes are decoded as one unit for
// a DVD-sized and an HD-sized canvas, then read as a .sup file whose events are written as PGS,
// VobSub and BDN into the scratch folder. Every event must be whole: its pixels fill its size
// and index its palette, it lies inside the canvas and ends after it starts.
#include <span>

#include "codecs/subpicture_unit.h"
#include "formats/subtitles/bdn_writer.h"
#include "formats/subtitles/pgs_writer.h"
#include "formats/subtitles/sup_events.h"
#include "formats/subtitles/vobsub_writer.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

namespace {

constexpr size_t kMaxBdnPictures = 4;  // PNG coding is slow; a few pictures cover the writer

void checkEvent(const SubpictureEvent& e, const SubpictureLimits& limits) {
    check(e.palette.size() == (e.depth == SubpictureDepth::TwoBit ? 4u : 256u), "palette of the wrong size");
    check(e.pixels.size() == size_t(e.width) * size_t(e.height), "pixels do not fill the picture");
    check(e.x >= 0 && e.y >= 0 && e.x + e.width <= limits.width && e.y + e.height <= limits.height,
          "picture outside the canvas");
    for (const uint8_t p : e.pixels) check(p < e.palette.size(), "a pixel outside the palette");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (const SubpictureLimits limits : {SubpictureLimits{720, 576}, SubpictureLimits{}}) {
        const UnitDecode d = decodeSubpictureUnit(bytes, 0, defaultDvdPalette(), limits);
        check(d.event.has_value() == (d.fault == UnitFault::None), "an event with a fault, or neither");
        if (d.event) checkEvent(*d.event, limits);
    }

    const auto folder = freshScratch();
    size_t at = 0;
    SupReader reader([&](uint8_t* into, size_t count) {
        const size_t n = std::min(count, size - at);
        std::copy_n(data + at, n, into);
        at += n;
        return n;
    });
    PgsWriter pgs((folder / "subs.sup").string(), {});
    VobSubWriter vobsub((folder / "subs.idx").string(), (folder / "subs.sub").string(), {1920, 1080});
    BdnWriter bdn((folder / "subs.bdn").string(), "subs.xml", {});
    size_t pictures = 0;
    const SubpictureLimits hd;
    readSupEvents(
        reader, defaultDvdPalette(), hd,
        [&](const SubpictureEvent& e) {
            checkEvent(e, hd);
            check(e.hasStop && e.stop > e.start, "an event that ends before it starts");
            pgs.add(e);
            vobsub.add(e);
            if (pictures++ < kMaxBdnPictures) bdn.add(e);
        },
        [](const std::string& line) { check(!line.empty(), "an empty problem line"); });
    pgs.finish();
    (void)vobsub.finish();
    bdn.finish();
    return 0;
}
