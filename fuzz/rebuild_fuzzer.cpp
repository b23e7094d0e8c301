// SPDX-License-Identifier: GPL-3.0-or-later
// The Rebuild run over arbitrary packs named as an EVO (one file or a sequence of two): a
// Read run, a choice of the streams found ticked, the rebuild. It must end with "Done." and
// no error, leave the sources as they were and write no more bytes than they hold.
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SourceSetup setup;
    if (!setup.parse(data, size)) return 0;
    setup.flags &= ~3;  // only EVO files are rebuilt
    CheckingHost host;
    Session m;
    const auto folder = freshScratch();
    setup.write(folder, m);
    runs::read(m, host);
    // choice bit 0 "Rebuild ADV_PCKs", bit 1 "Adjust PTS", bits 2-6 untick the streams whose
    // slot number modulo 5 names a set bit.
    m.options.keepAdvancedPacks = setup.choice & 1;
    m.options.adjustPts = setup.choice & 2;
    const auto untick = [&](auto& boxes) {
        for (size_t k = 0; k < boxes.size(); ++k)
            if (setup.choice >> (2 + k % 5) & 1) boxes[k].ticked = false;
    };
    untick(m.boxes.video);
    untick(m.boxes.audio);
    untick(m.boxes.sub);
    m.updateRunButtons();
    if (!m.boxes.anyTicked()) return 0;
    const auto out = folder / "out";
    std::filesystem::create_directory(out);
    m.options.outputDir = out.string();
    host.markup.clear();
    runs::rebuild(m, host);
    check(m.lastError.empty(), "the Rebuild run reported an error");
    check(host.logged("Done."), "the Rebuild run did not end with Done.");
    setup.checkSourcesUntouched();
    uint64_t written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) written += entry.file_size();
    check(written <= setup.sourceBytes(), "the Rebuild run wrote more than its sources hold");
    return 0;
}
