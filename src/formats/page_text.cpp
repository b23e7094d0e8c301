#include "formats/page_text.h"

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
    out.insert(out.end(), v.mXPL.begin(), v.mXPL.end());
    out.push_back("");
    out.push_back("Tree:");
    for (const XplTreeNode& node : v.tvXPL) {
        out.push_back(node.text);
        for (const std::string& child : node.children) out.push_back("  " + child);
    }
    return out;
}

std::vector<std::string> vtiPageText(const VtiView& v) {
    std::vector<std::string> out;
    if (v.cbEVOname.selected < 0 || size_t(v.cbEVOname.selected) >= v.evobs.size()) return {"No EVOB shown."};
    out.push_back("EVOB " + std::to_string(v.cbEVOname.selected + 1) + " of " +
                  std::to_string(v.evobs.size()) + ": " + v.eEVOBname);
    out.push_back("  Application type: " + orNone(v.cbAppType.text()));
    out.push_back("  Audio gap 0: " + orNone(v.cbA0gap.text()));
    out.push_back("  Audio gap 1: " + orNone(v.cbA1gap.text()));
    out.push_back("  Address offset: " + v.eAddrOffs);
    out.push_back("  Start PTM: " + v.eStartPTM);
    out.push_back("  End PTM: " + v.eEndPTM);
    out.push_back("  Size: " + std::to_string(v.ieEVOsize) + " logical blocks");
    out.push_back("  Index: " + std::to_string(v.ieEVOindex));
    const auto& evob = v.evobs[size_t(v.cbEVOname.selected)];
    if (v.cbAttrNo.text().empty()) {
        out.push_back("  Attribute record: " + std::to_string(evob.attributeNumber) + " (not in the file)");
        return out;
    }
    out.push_back("  Attribute record: " + v.cbAttrNo.text());
    out.push_back("  Main video: " +
                  videoLine(v.cbMainCompr, v.cbMainTV, v.cbMainAspect, v.cbMainProgInt, v.cbMainRes));
    out.push_back("  Sub video: " + (v.cbSubCompr.enabled ? videoLine(v.cbSubCompr, v.cbSubTV, v.cbSubAspect,
                                                                      v.cbSubProgInt, v.cbSubRes)
                                                          : std::string("none")));
    addGrid(out, "Main audio", v.sgMainAudio);
    addGrid(out, "Sub audio", v.sgSubAudio);
    addGrid(out, "Subpicture", v.sgSubpicture);
    return out;
}

}  // namespace quarnel
