// SPDX-License-Identifier: GPL-3.0-or-later
// The Demux run over arbitrary bytes: a Read run, then every stream found ticked (or the
// ones byte 3 leaves ticked) and demuxed into an output folder, LPCM as WAV files when bit 7
// of byte 0 is set. It must end with "Done." and
// no error, leave the sources as they were and write no more than the sources hold.
#include "formats/audio/wav_writer.h"
#include "formats/ps/stream_kinds.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SourceSetup setup;
    if (!setup.parse(data, size)) return 0;
    CheckingHost host;
    Session m;
    const auto folder = freshScratch();
    setup.write(folder, m);
    runs::read(m, host);
    // choice bit 7: keep every found stream ticked; otherwise bits 0-6 untick every
    // stream whose slot number modulo 7 names a set bit.
    if (!(setup.choice & 0x80)) {
        const auto untick = [&](auto& boxes) {
            for (size_t k = 0; k < boxes.size(); ++k)
                if (setup.choice >> (k % 7) & 1) boxes[k].ticked = false;
        };
        untick(m.boxes.video);
        untick(m.boxes.audio);
        untick(m.boxes.sub);
        m.updateRunButtons();
    }
    const auto out = folder / "out";
    std::filesystem::create_directory(out);
    m.options.outputDir = out.string();
    m.options.lpcmWav = setup.flags & 0x80;
    host.markup.clear();
    runs::demux(m, host);
    check(m.lastError.empty(), "the Demux run reported an error");
    check(host.logged("Done."), "the Demux run did not end with Done.");
    setup.checkSourcesUntouched();
    uint64_t written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) written += entry.file_size();
    // A .sup record header (10 bytes) needs a packet of at least 15 bytes; a WAV file adds its
    // header, and 20-bit samples take 24 bits.
    check(written <= 2 * setup.sourceBytes() + kAudioSlots * kWavHeaderBytes,
          "the Demux run wrote more than its sources hold");
    return 0;
}
