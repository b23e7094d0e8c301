// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/page_text.h"

#include <algorithm>

namespace quarnel {
namespace {

std::string orNone(const std::string& s) {
    return s.empty() ? "-" : s;
}

// A grid's rows in aligned columns, indented four blanks; "none" when it lists no stream.
void addGrid(std::vector<std::string>& out, const std::string& title, const VtiGrid& g) {
    const bool empty = g.rows.size() < 2 || std::all_of(g.rows[1].begin(), g.rows[1].end(),
                                                        [](const std::string& c) { return c.empty(); });
    if (empty) {
        out.push_back("  " + title + ": none");
        return;
    }
    out.push_back("  " + title + ":");
    std::vector<size_t> width;
    for (const auto& row : g.rows) {
        width.resize(std::max(width.size(), row.size()));
        for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
    }
    for (const auto& row : g.rows) {
        std::string line = "   ";
        for (size_t c = 0; c < row.size(); ++c)
            line += " " + row[c] + std::string(width[c] - row[c].size(), ' ');
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out.push_back(line);
    }
}

std::string videoLine(const VtiCombo& compr, const VtiCombo& tv, const VtiCombo& aspect, const VtiCombo& scan,
                      const VtiCombo& res) {
    return orNone(compr.text()) + ", " + orNone(tv.text()) + ", " + orNone(aspect.text()) + ", " +
           orNone(scan.text()) + ", " + orNone(res.text());
}

}  // namespace

std::vector<std::string> playlistPageText(const PlaylistView& v) {
    std::vector<std::string> out{"Tag list:"};
    out.insert(out.end(), v.tags.begin(), v.tags.end());
    out.push_back("");
    out.push_back("Tree:");
    for (const XplTreeNode& node : v.tree) {
        out.push_back(node.text);
        for (const std::string& child : node.children) out.push_back("  " + child);
    }
    return out;
}

std::vector<std::string> vtiPageText(const VtiView& v) {
    std::vector<std::string> out;
    if (v.evobNames.selected < 0 || size_t(v.evobNames.selected) >= v.evobs.size()) return {"No EVOB shown."};
    out.push_back("EVOB " + std::to_string(v.evobNames.selected + 1) + " of " +
                  std::to_string(v.evobs.size()) + ": " + v.evobName);
    out.push_back("  Application type: " + orNone(v.applicationType.text()));
    out.push_back("  Audio gap 0: " + orNone(v.audioGap0.text()));
    out.push_back("  Audio gap 1: " + orNone(v.audioGap1.text()));
    out.push_back("  Address offset: " + v.addressOffset);
    out.push_back("  Start PTM: " + v.startPtm);
    out.push_back("  End PTM: " + v.endPtm);
    out.push_back("  Size: " + std::to_string(v.evobSize) + " logical blocks");
    out.push_back("  Index: " + std::to_string(v.evobIndex));
    const auto& evob = v.evobs[size_t(v.evobNames.selected)];
    if (v.attributeNumbers.text().empty()) {
        out.push_back("  Attribute record: " + std::to_string(evob.attributeNumber) + " (not in the file)");
        return out;
    }
    out.push_back("  Attribute record: " + v.attributeNumbers.text());
    out.push_back("  Main video: " +
                  videoLine(v.mainCompression, v.mainTvSystem, v.mainAspect, v.mainScan, v.mainResolution));
    out.push_back("  Sub video: " +
                  (v.subCompression.enabled
                       ? videoLine(v.subCompression, v.subTvSystem, v.subAspect, v.subScan, v.subResolution)
                       : std::string("none")));
    addGrid(out, "Main audio", v.mainAudioGrid);
    addGrid(out, "Sub audio", v.subAudioGrid);
    addGrid(out, "Subpicture", v.subpictureGrid);
    return out;
}

}  // namespace quarnel
