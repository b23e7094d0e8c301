// SPDX-License-Identifier: GPL-3.0-or-later
// The VTI reader over arbitrary bytes as HVDVD_TS/HVA00001.VTI, then the "VTI" page showing
// every EVOB and every attribute record it read. It must end with "Done." or a shown error.
#include "formats/disc/page_text.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = freshScratch() / "HVDVD_TS";
    std::filesystem::create_directories(folder);
    writeBytes(folder / "HVA00001.VTI", {data, size});

    CheckingHost host;
    Session m;
    m.sourcePath = (folder / "FEATURE_1.EVO").string();
    m.sourceChanged();
    m.options.readVti = true;
    runs::readVti(m, host);
    check(host.logged("Done.") != !host.errors.empty(), "the VTI reader ended without Done. or an error");
    // Every entry of both lists shown in turn, as a user picking them would.
    for (size_t k = 0; k < m.vti.evobNames.items.size(); ++k) {
        m.vti.evobNames.selected = int(k);
        m.vti.showSelectedEvob();
        (void)vtiPageText(m.vti);
    }
    for (size_t k = 0; k < m.vti.attributeNumbers.items.size(); ++k) {
        m.vti.attributeNumbers.selected = int(k);
        m.vti.showSelectedAttributes();
        (void)vtiPageText(m.vti);
    }
    return 0;
}
