// SPDX-License-Identifier: GPL-3.0-or-later
// The VTI reader: the EVOB attribute and information records of HVA00001.VTI in the EVO
// folder, listed on the "VTI" page with the record of the current EVO file shown.
#include <string>
#include <vector>

#include "formats/disc/byte_readers.h"
#include "formats/disc/vti_file.h"
#include "runs/operations.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

std::string upperCased(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// Lines about record fields that point outside what the file holds; each is logged once,
// when the file is read, and the page then shows nothing for them.
void logOutOfRange(MessageLog& log, const std::vector<VtsEvobAtr>& attributes,
                   const std::vector<VtsEvobi>& evobs) {
    for (size_t i = 0; i < attributes.size(); ++i) {
        const VtsEvobAtr& a = attributes[i];
        const auto check = [&](unsigned count, unsigned entries, const char* what) {
            if (count > entries)
                log.log("VTS_EVOB_ATR " + std::to_string(i + 1) + " lists " + std::to_string(count) + " " +
                        what + ", more than the " + std::to_string(entries) + " it can hold; the first " +
                        std::to_string(entries) + " are shown.");
        };
        check(a.mainAudioCount, kVtiMainAudioEntries, "main audio streams");
        check(a.subAudioCount, kVtiSubAudioEntries, "sub audio streams");
        check(a.subpictureCount, kVtiSubpictureEntries, "subpicture streams");
    }
    for (const VtsEvobi& r : evobs)
        if (r.attributeNumber < 1 || r.attributeNumber > attributes.size())
            log.log("[re]" + r.name + " names VTS_EVOB_ATR " + std::to_string(r.attributeNumber) +
                    ", which " + kVtiFileName + " does not hold; its attributes are not shown.[/re]");
}

}  // namespace

namespace {

// The VTI read; `afterRead`: the automatic step after a Read, whose failure is a warning (the
// Read's results and any Demux that follows stand) kept in run.vtiError.
void readVtiFile(Session& session, Host& host, bool afterRead) {
    if (!session.options.readVti || session.runActive) return;
    RunGuard guard(session.runActive);
    session.lastError.clear();
    session.run.vtiError.clear();
    MessageLog log(host);
    InputFile input;
    VtiView& vti = session.vti;
    const std::string path = session.sourceDir + kVtiFileName;
    if (!fileExists(path)) {
        log.log("HVA00001.VTI not found");
        return;
    }
    log.log("Reading [b]" + std::string(kVtiFileName) + "[/b]");
    try {
        input.open(path);
        if (readChars(input, kVtiIdentifierSize) == kVtiIdentifier) {
            const VtiTableSectors sectors = readVtiHeader(input);
            const uint16_t n = readVtsEvobAtrTable(input, sectors.attributes);
            log.log(std::to_string(n) + " VTS_EVOB_ATRs found.");
            std::vector<VtsEvobAtr> attributes;
            attributes.reserve(n);
            for (unsigned i = 0; i < n; ++i) attributes.push_back(readVtsEvobAtr(input));
            const uint32_t m = readVtsEvobiTable(input, sectors.information);
            log.log(std::to_string(m) + " VTS_EVOBIs found.");
            std::vector<VtsEvobi> evobs;
            evobs.reserve(m);
            for (uint32_t j = 0; j < m; ++j) evobs.push_back(readVtsEvobi(input));
            logOutOfRange(log, attributes, evobs);

            // Both tables read whole: they replace what an earlier read left.
            vti.attributeNumbers.items.clear();
            for (unsigned i = 1; i <= n; ++i) vti.attributeNumbers.items.push_back(std::to_string(i));
            vti.attributeNumbers.selected = -1;
            vti.evobNames.items.clear();
            vti.evobNames.selected = -1;
            const std::string current = upperCased(session.sourceName);
            for (uint32_t j = 0; j < m; ++j) {
                vti.evobNames.items.push_back(evobs[j].name);
                if (upperCased(evobs[j].name) == current) vti.evobNames.selected = int(j);
            }
            vti.attributes = std::move(attributes);
            vti.evobs = std::move(evobs);
        } else {
            log.log("[re]" + std::string(kVtiFileName) + " does not begin with " + kVtiIdentifier +
                    "; nothing read from it.[/re]");
        }
        input.close();
    } catch (const std::exception& e) {
        input.close();
        statusReady(log);
        if (afterRead) {
            session.run.vtiError = e.what();
            log.log("[re]" + session.run.vtiError +
                    " The title set information is left out; the Read stands.[/re]");
            return;
        }
        session.lastError = e.what();
        host.showError(session.lastError);
        return;
    }
    if (vti.evobNames.selected < 0 && !vti.evobNames.items.empty()) vti.evobNames.selected = 0;
    vti.showSelectedEvob();
    logDone(log);
    statusReady(log);
}

}  // namespace

void readVti(Session& session, Host& host) {
    readVtiFile(session, host, false);
}

void readVtiAfterRead(Session& session, Host& host) {
    readVtiFile(session, host, true);
}

}  // namespace quarnel::runs
