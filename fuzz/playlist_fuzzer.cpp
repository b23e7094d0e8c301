// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist reader over arbitrary bytes as ADV_OBJ/VPLST000.XPL, then the chapter export
// and, for some inputs, a Demux run of the stream boxes it named (over an empty EVO). It must end with
// "Done." or a shown error, give boxes names that stay file names, and create files only in the output
// folder.
#include "formats/disc/page_text.h"
#include "fuzz_support.h"

using namespace quarnel;
using namespace quarnel::fuzz;

namespace {

// A caption enters output file names: no separators, no parent folder, no control bytes.
void checkSafe(const std::string& caption) {
    check(caption.find('/') == std::string::npos && caption.find('\\') == std::string::npos,
          "a playlist name holds a path separator");
    check(caption.find("..") == std::string::npos, "a playlist name holds \"..\"");
    for (const char c : caption)
        check(uint8_t(c) >= 0x20 && c != 0x7F, "a playlist name holds a control byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = freshScratch();
    std::filesystem::create_directories(folder / "ADV_OBJ");
    std::filesystem::create_directories(folder / "HVDVD_TS");
    std::filesystem::create_directories(folder / "out");
    const auto playlist = folder / "ADV_OBJ" / "VPLST000.XPL";
    const auto source = folder / "HVDVD_TS" / "FEATURE_1.EVO";
    writeBytes(playlist, {data, size});
    writeBytes(source, {});

    CheckingHost host;
    Session m;
    m.sourcePath = source.string();
    m.sourceChanged();
    m.options.outputDir = (folder / "out").string();
    runs::readPlaylist(m, host);
    check(host.logged("Done.") != !host.errors.empty(),
          "the playlist reader ended without Done. or an error");
    for (const StreamBox& b : m.boxes.audio) checkSafe(b.caption);
    for (const StreamBox& b : m.boxes.sub) checkSafe(b.caption);
    checkSafe(m.boxes.video[0].caption);
    (void)playlistPageText(m.playlist);

    runs::writeChapters(m, host);
    check(m.lastError.empty(), "the chapter export failed");
    // The Demux run creates one output per named box, which is slow under the sanitizers:
    // a quarter of the inputs run it, the captions above are checked for all.
    if (size % 4 == 0) {
        runs::demux(m, host);
        check(host.logged("Done."), "the Demux run did not end with Done.");
    }

    // Only the output folder gained files.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const auto p = entry.path();
        check(p == playlist || p == source || p.parent_path() == folder / "out",
              "a file was created outside the output folder");
    }
    check(readBytes(playlist) == std::vector<uint8_t>(data, data + size), "the playlist was changed");
    return 0;
}
