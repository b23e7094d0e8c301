// SPDX-License-Identifier: GPL-3.0-or-later
// The Read run over arbitrary bytes named as an EVO, VOB or AOB file (one file or a sequence
// of two). It must end with "Done." and no error, or, when it found no stream, with the one
// error that says so and no "Done."; leave the sources as they were; and a second Read run of
// the same files must log the same lines.
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SourceSetup setup;
    if (!setup.parse(data, size)) return 0;
    CheckingHost host;
    Session m;
    setup.write(freshScratch(), m);
    runs::read(m, host);
    const bool noStreams = m.lastError == "No streams found in " + nameOf(m.sourcePath) + ".";
    check(noStreams ? host.errors.size() == 1 : host.errors.empty() && m.lastError.empty(),
          "the Read run reported an error");
    check(host.logged("Done.") != noStreams, "the Read run did not end with Done. (or did, without streams)");
    setup.checkSourcesUntouched();
    if (setup.choice & 1) {
        const std::vector<std::string> first = host.markup;
        host.markup.clear();
        runs::read(m, host);
        check(host.markup == first, "a second Read run of the same files logged other lines");
    }
    return 0;
}
