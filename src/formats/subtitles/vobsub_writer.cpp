// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/vobsub_writer.h"

#include <cstdio>

#include "codecs/dvd_unit_encoder.h"
#include "codecs/four_colour_picture.h"
#include "formats/subtitles/vobsub_packs.h"

namespace quarnel {
namespace {

constexpr size_t kPaletteSize = 16;

std::string validLanguage(const std::string& l) {
    const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
    return l.size() == 2 && letter(l[0]) && letter(l[1]) ? l : "en";
}

int colourDistance(Rgb a, Rgb b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

std::string timestampLine(uint64_t ticks, uint64_t filepos) {
    const uint64_t ms = ticks / 90;
    char buf[96];
    std::snprintf(buf, sizeof buf, "timestamp: %02u:%02u:%02u:%03u, filepos: %09llX\n",
                  unsigned(ms / 3600000), unsigned(ms / 60000 % 60), unsigned(ms / 1000 % 60),
                  unsigned(ms % 1000), static_cast<unsigned long long>(filepos));
    return buf;
}

}  // namespace

VobSubWriter::VobSubWriter(const std::string& idxPath, const std::string& subPath, VobSubOptions options)
    : options_(std::move(options)) {
    if (options_.palette) palette_.assign(options_.palette->begin(), options_.palette->end());
    sub_.create(subPath);
    idx_.create(idxPath);
}

// The first place that holds exactly this colour, a free place, or the nearest colour.
uint8_t VobSubWriter::paletteNumber(Rgb colour) {
    for (size_t k = 0; k < palette_.size(); ++k)
        if (palette_[k] == colour) return uint8_t(k);
    if (palette_.size() < kPaletteSize) {
        palette_.push_back(colour);
        return uint8_t(palette_.size() - 1);
    }
    size_t best = 0;
    for (size_t k = 1; k < palette_.size(); ++k)
        if (colourDistance(palette_[k], colour) < colourDistance(palette_[best], colour)) best = k;
    return uint8_t(best);
}

bool VobSubWriter::add(const SubpictureEvent& e) {
    if (e.empty() || e.x < 0 || e.y < 0 || e.width > options_.canvasWidth - e.x ||
        e.height > options_.canvasHeight - e.y) {
        ++leftOut_;
        return false;
    }
    FourColourPicture four = fourColourPicture(e);
    const uint64_t duration = e.stop > e.start ? e.stop - e.start : 0;
    DvdUnitPicture p{.x = e.x,
                     .y = e.y,
                     .width = e.width,
                     .height = e.height,
                     .pixels = std::move(four.pixels),
                     .forced = e.forced,
                     .durationTicks = uint32_t(std::min<uint64_t>(duration, UINT32_MAX))};
    const std::vector<Rgb> before = palette_;
    for (size_t v = 0; v < 4; ++v) {
        const Rgba s = four.shades[v];
        p.contrast[v] = uint8_t((s.a + 8) / 17);
        // A clear value keeps palette number 0 rather than taking a place of its own.
        p.colours[v] = p.contrast[v] == 0 && !options_.palette ? 0 : paletteNumber({s.r, s.g, s.b});
    }
    const std::optional<std::vector<uint8_t>> unit = encodeDvdUnit(p);
    if (!unit) {
        palette_ = before;
        ++leftOut_;
        return false;
    }
    if (four.reduced) ++reduced_;
    timestamps_ += timestampLine(e.start, sub_.written());
    packs_.clear();
    appendSubpicturePacks(packs_, *unit, e.start);
    sub_.write(packs_);
    return true;
}

std::vector<std::string> VobSubWriter::finish() {
    std::string text = "# VobSub index file, v7 (do not modify this line!)\n";
    text +=
        "size: " + std::to_string(options_.canvasWidth) + "x" + std::to_string(options_.canvasHeight) + "\n";
    text += "palette: ";
    for (size_t k = 0; k < kPaletteSize; ++k) {
        const Rgb c = k < palette_.size() ? palette_[k] : Rgb{};
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", c.r, c.g, c.b);
        text += std::string(k ? ", " : "") + hex;
    }
    text += "\nlangidx: 0\n";
    text += "id: " + validLanguage(options_.language) + ", index: 0\n";
    text += timestamps_;
    idx_.write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    // Both written whole before either takes its name; the index, which names the other,
    // takes its name last, so that a new index never stands beside an old .sub.
    sub_.finish();
    idx_.finish();
    sub_.commit();
    idx_.commit();

    std::vector<std::string> notes;
    if (reduced_ > 0)
        notes.push_back(
            "VobSub holds 4 colours per subtitle: " + std::to_string(reduced_) +
            " subtitles of 256 colours lose colour (background and the three most used shades kept).");
    if (leftOut_ > 0)
        notes.push_back(std::to_string(leftOut_) +
                        " subtitles do not fit VobSub (outside the picture or too large) and are left out.");
    return notes;
}

}  // namespace quarnel
