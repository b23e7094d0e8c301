// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitles are light text with a dark edge over the video. Each pixel's "ink" is its
// brightness weighted by its opacity, which is what the picture shows over black: the text
// stands out, while its edge and the clear background both come out dark. The prepared
// lines are the inverse (dark text on white), the way recognisers are trained.
#include "formats/ocr/ocr_picture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quarnel {
namespace {

constexpr int kMinInk = 32;             // a brightest pixel below this shows nothing
constexpr double kSmallBand = 0.4;      // a band lower than this share of the tallest is a dot or accent
constexpr double kXHeightRow = 0.4;     // rows with this share of a line's fullest row make its x-height
constexpr double kSolidShare = 0.85;    // a line this full of ink is a block, not text
constexpr double kTouchingLines = 2.7;  // a line alone is at most this many times its x-height

struct Ink {
    int width = 0, height = 0;
    std::vector<uint8_t> level;  // 0 ... 255, stretched to the brightest pixel
    uint8_t at(int x, int y) const { return level[size_t(y) * size_t(width) + size_t(x)]; }
    bool on(int x, int y) const { return at(x, y) >= 128; }
};

// Rows [top, bottom) of one line of text.
struct Band {
    int top, bottom;
    int height() const { return bottom - top; }
};

Ink inkOf(const SubpictureEvent& e) {
    Ink ink;
    if (e.width <= 0 || e.height <= 0 || e.pixels.size() < size_t(e.width) * size_t(e.height)) return ink;
    std::array<int, 256> byIndex{};
    for (size_t i = 0; i < std::min<size_t>(e.palette.size(), byIndex.size()); ++i) {
        const Rgba& c = e.palette[i];
        const int luma = (77 * c.r + 150 * c.g + 29 * c.b) >> 8;
        byIndex[i] = luma * c.a / 255;
    }
    int brightest = 0;
    for (size_t i = 0; i < size_t(e.width) * size_t(e.height); ++i)
        brightest = std::max(brightest, byIndex[e.pixels[i]]);
    if (brightest < kMinInk) return ink;
    ink.width = e.width;
    ink.height = e.height;
    ink.level.resize(size_t(e.width) * size_t(e.height));
    for (size_t i = 0; i < ink.level.size(); ++i)
        ink.level[i] = uint8_t(std::min(255, byIndex[e.pixels[i]] * 255 / brightest));
    return ink;
}

std::vector<int> rowCounts(const Ink& ink, int left, int right, Band rows) {
    std::vector<int> counts(size_t(rows.height()), 0);
    for (int y = rows.top; y < rows.bottom; ++y)
        for (int x = left; x < right; ++x) counts[size_t(y - rows.top)] += ink.on(x, y);
    return counts;
}

// Runs of rows with ink; a band much lower than the tallest (the dot of an i, an accent, a
// comma cut off by a gap) joins its nearest neighbour.
std::vector<Band> bandsOf(const Ink& ink) {
    const std::vector<int> counts = rowCounts(ink, 0, ink.width, {0, ink.height});
    std::vector<Band> bands;
    for (int y = 0; y < ink.height; ++y) {
        if (counts[size_t(y)] == 0) continue;
        if (!bands.empty() && bands.back().bottom == y)
            bands.back().bottom = y + 1;
        else
            bands.push_back({y, y + 1});
    }
    while (bands.size() > 1) {
        int tallest = 0;
        for (const Band& b : bands) tallest = std::max(tallest, b.height());
        const auto small = std::find_if(bands.begin(), bands.end(),
                                        [&](const Band& b) { return b.height() < kSmallBand * tallest; });
        if (small == bands.end()) break;
        const bool hasAbove = small != bands.begin(), hasBelow = small + 1 != bands.end();
        const int gapAbove = hasAbove ? small->top - (small - 1)->bottom : ink.height;
        const int gapBelow = hasBelow ? (small + 1)->top - small->bottom : ink.height;
        const auto into = gapAbove <= gapBelow ? small - 1 : small + 1;
        into->top = std::min(into->top, small->top);
        into->bottom = std::max(into->bottom, small->bottom);
        bands.erase(small);
    }
    return bands;
}

// The longest run of rows with most of the band's ink: the small letters of one line. A dip
// shorter than a letter's height stays inside the run; 0 when no run is that tall (the bars of
// an E in a pixel font).
int longestBodyOf(const std::vector<int>& counts) {
    const int fullest = *std::max_element(counts.begin(), counts.end());
    int longest = 0;
    int top = -1, bottom = -1;  // the run in hand
    for (int y = 0; y < int(counts.size()); ++y) {
        if (counts[size_t(y)] < kXHeightRow * fullest) continue;
        if (top < 0 || y - bottom >= kOcrMinLineHeight) top = y;
        bottom = y + 1;
        longest = std::max(longest, bottom - top);
    }
    return longest >= kOcrMinLineHeight ? longest : 0;
}

// The height of a line's small letters: the rows with most of its ink.
int xHeightOf(const std::vector<int>& counts) {
    const int fullest = *std::max_element(counts.begin(), counts.end());
    const auto rows =
        std::count_if(counts.begin(), counts.end(), [&](int c) { return c >= kXHeightRow * fullest; });
    return std::max(1, int(rows));
}

// The band's columns [left, right) of ink, scaled by `scale` (bilinear), inverted, with a
// white margin.
GreyImage lineImage(const Ink& ink, Band band, int left, int right, double scale) {
    GreyImage g;
    const int w = right - left, h = band.height();
    const int sw = std::max(1, int(std::lround(w * scale))), sh = std::max(1, int(std::lround(h * scale)));
    g.width = sw + 2 * kOcrMargin;
    g.height = sh + 2 * kOcrMargin;
    g.pixels.assign(size_t(g.width) * size_t(g.height), 255);
    for (int y = 0; y < sh; ++y) {
        const double fy = std::clamp((y + 0.5) / scale - 0.5, 0.0, double(h - 1));
        const int y0 = int(fy), y1 = std::min(y0 + 1, h - 1);
        const double wy = fy - y0;
        uint8_t* row = &g.pixels[size_t(y + kOcrMargin) * size_t(g.width) + kOcrMargin];
        for (int x = 0; x < sw; ++x) {
            const double fx = std::clamp((x + 0.5) / scale - 0.5, 0.0, double(w - 1));
            const int x0 = int(fx), x1 = std::min(x0 + 1, w - 1);
            const double wx = fx - x0;
            const auto at = [&](int px, int py) { return double(ink.at(left + px, band.top + py)); };
            const double top = at(x0, y0) * (1 - wx) + at(x1, y0) * wx;
            const double bottom = at(x0, y1) * (1 - wx) + at(x1, y1) * wx;
            row[x] = uint8_t(255 - std::lround(top * (1 - wy) + bottom * wy));
        }
    }
    return g;
}

}  // namespace

std::vector<GreyImage> prepareOcrLines(const SubpictureEvent& e) {
    const Ink ink = inkOf(e);
    std::vector<GreyImage> lines;
    for (const Band& band : bandsOf(ink)) {
        if (band.height() < kOcrMinLineHeight) continue;
        int left = ink.width, right = 0;
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = 0; x < ink.width; ++x)
                if (ink.on(x, y)) left = std::min(left, x), right = std::max(right, x + 1);
        const std::vector<int> counts = rowCounts(ink, left, right, band);
        long filled = 0;
        for (int c : counts) filled += c;
        if (filled > kSolidShare * double(right - left) * band.height()) continue;
        // Lines that reach into one another's rows (a descender into the capitals below) make
        // one band: it is much higher than its small letters.
        const int body = longestBodyOf(counts);
        const bool touching = body > 0 && band.height() > kTouchingLines * body;
        const int xHeight = touching ? body : xHeightOf(counts);
        double scale = std::clamp(double(kOcrXHeight) / xHeight, 1.0, double(kOcrMaxScale));
        const double area = double(right - left) * band.height();
        scale =
            std::min({scale, double(kOcrMaxLineWidth) / (right - left), std::sqrt(kOcrMaxLinePixels / area)});
        scale = std::max(1.0, scale);
        lines.push_back(lineImage(ink, band, left, right, scale));
        lines.back().touchingLines = touching;
    }
    return lines;
}

}  // namespace quarnel
