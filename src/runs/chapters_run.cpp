// SPDX-License-Identifier: GPL-3.0-or-later
// The chapter export: the playlist's chapter list as BASE.chapters.txt in the output folder,
// every line ended by CR LF.
#include <string>

#include "runs/operations.h"
#include "runs/run_support.h"

namespace quarnel::runs {

void writeChapters(Session& session, Host& host) {
    if (session.runActive) return;
    RunGuard guard(session.runActive);
    session.lastError.clear();
    session.buttons.writeChapters = false;
    MessageLog log(host);
    OutputFile out;
    try {
        // The file is named after the EVO file; without one it would be a bare ".chapters.txt".
        if (session.baseName.empty())
            throw QuarnelError(
                "No EVO file is chosen: the chapter file is named after it. Choose the EVO file first.");
        const std::string name = session.outputBase() + ".chapters.txt";
        refuseInput(name, inputsOf(session.request()));
        const OutputLock lock = claimOutputs(session.outputBase(), log);
        out.create(name);
        for (const std::string& line : session.playlist.chapters) {
            out.write(std::span(reinterpret_cast<const uint8_t*>(line.data()), line.size()));
            out.write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("\r\n"), 2));
        }
        PendingOutputs pending;
        out.commit();
        std::vector<std::string> written{name};
        if (settleExisting(pending, written, session, host, session.options)) {
            pending.commit();
            session.run.outputsWritten = written;
            log.log("Chapters info writed to " + written.front());
        }
    } catch (const std::exception& e) {
        out.discard();
        session.lastError = e.what();
        host.showError(session.lastError);
    }
    session.buttons.writeChapters = true;
}

}  // namespace quarnel::runs
