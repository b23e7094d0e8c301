// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/vti_view.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "formats/disc/vti_codes.h"

namespace quarnel {
namespace {

template <size_t N>
std::vector<std::string> listOf(const char* const (&table)[N]) {
    return std::vector<std::string>(std::begin(table), std::end(table));
}

std::string hex8(uint32_t v) {
    char s[9];
    std::snprintf(s, sizeof s, "%08X", v);
    return s;
}

// Selects `code` when the list has an entry for it, nothing otherwise.
void select(VtiCombo& box, unsigned code) {
    box.selected = code < box.items.size() ? int(code) : -1;
}

// The five boxes of one video attribute word.
struct VideoBoxes {
    VtiCombo &compr, &res, &tv, &progInt, &aspect;

    void list() {
        compr.items = listOf(kVideoCodings);
        res.items = listOf(kVideoResolutions);
        tv.items = listOf(kTvSystems);
        progInt.items = listOf(kScanKinds);
        aspect.items = listOf(kAspectRatios);
    }
    void show(uint32_t attributes) {
        for (VtiCombo* b : {&compr, &res, &tv, &progInt, &aspect}) b->enabled = true;
        select(compr, (attributes >> 29) & 7);
        select(tv, (attributes >> 26) & 7);
        select(aspect, ((attributes >> 24) & 3) / 3);
        select(progInt, (attributes >> 20) & 3);
        select(res, (attributes >> 12) & 15);
    }
    void hide() {
        for (VtiCombo* b : {&compr, &res, &tv, &progInt, &aspect}) {
            b->enabled = false;
            b->selected = -1;
        }
    }
};

template <size_t N>
VtiGrid emptyGrid(const char* const (&header)[N]) {
    VtiGrid g;
    g.rows.push_back(listOf(header));
    g.rows.emplace_back(N);
    return g;
}

std::string audioCodingText(unsigned code) {
    return code < std::size(kAudioCodings) ? kAudioCodings[code].text : "code " + std::to_string(code);
}

// Rows of the audio entries; `count` is bounded by the entries a record holds.
template <size_t N>
VtiGrid audioGrid(const std::array<VtiAudioEntry, N>& entries, unsigned count, int firstNumber) {
    VtiGrid g = emptyGrid(kAudioGridHeader);
    count = std::min<unsigned>(count, N);
    if (count == 0) return g;
    g.rows.resize(1);
    for (unsigned k = 0; k < count; ++k) {
        const VtiAudioEntry& e = entries[k];
        const unsigned coding = e[0] / 4;
        const bool quantized = coding < std::size(kAudioCodings) && kAudioCodings[coding].quantization;
        g.rows.push_back({std::to_string(firstNumber + int(k)), audioCodingText(coding),
                          kAudioFrequencies[e[1] / 32],
                          quantized ? std::to_string(16 + 4 * ((e[2] / 64) % 4)) + " bit" : "",
                          std::to_string((e[2] / 4) % 8 + 1)});
    }
    return g;
}

}  // namespace

const std::string& VtiCombo::text() const {
    static const std::string none;
    return selected >= 0 && size_t(selected) < items.size() ? items[size_t(selected)] : none;
}

VtiView::VtiView() {
    applicationType.items = listOf(kAppTypes);
    audioGap0.items = audioGap1.items = listOf(kAudioGaps);
    VideoBoxes{mainCompression, mainResolution, mainTvSystem, mainScan, mainAspect}.list();
    VideoBoxes{subCompression, subResolution, subTvSystem, subScan, subAspect}.list();
    mainAudioGrid = subAudioGrid = emptyGrid(kAudioGridHeader);
    subpictureGrid = emptyGrid(kSubpictureGridHeader);
}

void VtiView::showSelectedEvob() {
    const int j = evobNames.selected;
    if (j < 0 || size_t(j) >= evobs.size()) {
        // Nothing to show: every field empty.
        for (VtiCombo* b : {&applicationType, &audioGap0, &audioGap1, &attributeNumbers}) b->selected = -1;
        evobName = addressOffset = startPtm = endPtm = "";
        evobSize = evobIndex = 0;
        showSelectedAttributes();
        return;
    }
    const VtsEvobi& r = evobs[size_t(j)];
    select(applicationType, (r.type >> 12) & 3);
    select(audioGap0, (r.type >> 5) & 3);
    select(audioGap1, (r.type >> 3) & 3);
    evobName = r.name;
    addressOffset = hex8(r.addressOffset);
    // A record number outside the records read selects nothing.
    attributeNumbers.selected = r.attributeNumber >= 1 && r.attributeNumber <= attributeNumbers.items.size()
                                    ? int(r.attributeNumber - 1)
                                    : -1;
    showSelectedAttributes();
    evobSize = r.size;
    evobIndex = r.index;
    startPtm = hex8(r.startPtm);
    endPtm = hex8(r.endPtm);
}

void VtiView::showSelectedAttributes() {
    VideoBoxes mainVideo{mainCompression, mainResolution, mainTvSystem, mainScan, mainAspect};
    VideoBoxes subVideo{subCompression, subResolution, subTvSystem, subScan, subAspect};
    mainVideo.list();
    subVideo.list();
    // The entry's text, read as a number, names the record.
    const long number =
        attributeNumbers.text().empty() ? 0 : std::strtol(attributeNumbers.text().c_str(), nullptr, 10);
    if (number < 1 || size_t(number) > attributes.size()) {
        mainVideo.hide();
        subVideo.hide();
        mainAudioGrid = subAudioGrid = emptyGrid(kAudioGridHeader);
        subpictureGrid = emptyGrid(kSubpictureGridHeader);
        return;
    }
    const VtsEvobAtr& a = attributes[size_t(number - 1)];
    mainVideo.show(a.mainVideo);
    if (((a.flags >> 10) & 3) == 1)
        subVideo.show(a.subVideo);
    else
        subVideo.hide();
    mainAudioGrid = audioGrid(a.mainAudio, a.mainAudioCount, 0);
    subAudioGrid = ((a.flags >> 8) & 3) == 1 ? audioGrid(a.subAudio, a.subAudioCount, kVtiMainAudioEntries)
                                             : emptyGrid(kAudioGridHeader);
    subpictureGrid = emptyGrid(kSubpictureGridHeader);
    const unsigned pictures = std::min<unsigned>(a.subpictureCount, kVtiSubpictureEntries);
    if (pictures > 0) subpictureGrid.rows.resize(1);
    for (unsigned k = 0; k < pictures; ++k)
        subpictureGrid.rows.push_back({std::to_string(k), kSubpictureCodings[a.subpicture[k][0] / 32]});
}

}  // namespace quarnel
