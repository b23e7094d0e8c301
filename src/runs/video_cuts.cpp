// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/video_cuts.h"

#include <algorithm>

namespace quarnel {
namespace {

// The pictures in the order they are shown: a picture others refer to is shown after the
// pictures that follow it in decode order and refer to none (as I and P pictures after their B
// pictures).
std::vector<size_t> displayOrder(const std::vector<PictureUnit>& pictures) {
    std::vector<size_t> order;
    std::optional<size_t> held;
    for (size_t k = 0; k < pictures.size(); ++k) {
        if (!pictures[k].reference.value_or(true)) {
            order.push_back(k);
            continue;
        }
        if (held) order.push_back(*held);
        held = k;
    }
    if (held) order.push_back(*held);
    return order;
}

// The pictures without a time stamp, timed a frame's duration on from the nearest one shown
// before them that has one (or back from the nearest after); the duration is the least step
// between pictures with time stamps, in display order.
void fillTimes(const std::vector<PictureUnit>& pictures, std::vector<MaybeTimeStamp>& times) {
    const std::vector<size_t> order = displayOrder(pictures);
    std::vector<MaybeTimeStamp> shown(order.size());
    for (size_t p = 0; p < order.size(); ++p) shown[p] = times[order[p]];
    std::optional<int64_t> step;
    std::optional<size_t> before;
    for (size_t p = 0; p < shown.size(); ++p) {
        if (!shown[p]) continue;
        if (before) {
            const int64_t d = stampDistance(*shown[p], *shown[*before]) / int64_t(p - *before);
            if (d > 0 && (!step || d < *step)) step = d;
        }
        before = p;
    }
    if (!step) return;
    for (size_t p = 0; p < shown.size(); ++p) {
        if (shown[p]) continue;
        size_t a = p;
        while (a > 0 && !shown[a - 1]) --a;
        if (a > 0) {
            times[order[p]] = TimeStamp(int64_t(*shown[a - 1]) + int64_t(p - a + 1) * *step) & kTimeStampMask;
            continue;
        }
        size_t b = p;
        while (b < shown.size() && !shown[b]) ++b;
        if (b < shown.size())
            times[order[p]] = TimeStamp(int64_t(*shown[b]) - int64_t(b - p) * *step) & kTimeStampMask;
    }
}

}  // namespace

std::vector<MaybeTimeStamp> pictureTimes(const std::vector<PictureUnit>& pictures,
                                         std::span<const PtsAnchor> packets, uint64_t regionStart) {
    std::vector<MaybeTimeStamp> times(pictures.size());
    size_t p = 0;
    for (size_t k = 0; k < packets.size(); ++k) {
        const uint64_t from = packets[k].offset;
        const uint64_t to = k + 1 < packets.size() ? packets[k + 1].offset : UINT64_MAX;
        while (p < pictures.size() && regionStart + pictures[p].code < from) ++p;
        if (p < pictures.size() && regionStart + pictures[p].code < to) times[p++] = packets[k].pts;
    }
    fillTimes(pictures, times);
    return times;
}

std::vector<bool> picturesBeforeEnd(const std::vector<PictureUnit>& pictures,
                                    const std::vector<MaybeTimeStamp>& times, TimeStamp end) {
    std::vector<bool> kept(pictures.size());
    for (size_t k = 0; k < pictures.size(); ++k)
        kept[k] = times[k] ? stampDistance(*times[k], end) < 0 : k == 0 || kept[k - 1];
    bool later = false;
    for (size_t k = pictures.size(); k-- > 0;) {
        // A picture whose header does not tell is taken to be a reference.
        if (!kept[k] && later && pictures[k].reference.value_or(true)) kept[k] = true;
        later = later || kept[k];
    }
    return kept;
}

namespace {

// The bytes of [from, to) of the output kept: those before the first picture, then each kept
// picture whole; the last picture counts as running on to `to`.
uint64_t keepPictures(OutputFile& out, uint64_t from, const std::vector<uint8_t>& bytes,
                      const std::vector<PictureUnit>& pictures, const std::vector<bool>& kept) {
    std::vector<uint8_t> left(bytes.begin(),
                              bytes.begin() + long(pictures.empty() ? bytes.size() : pictures[0].begin));
    for (size_t k = 0; k < pictures.size(); ++k) {
        if (!kept[k]) continue;
        const size_t to = k + 1 < pictures.size() ? pictures[k + 1].begin : bytes.size();
        left.insert(left.end(), bytes.begin() + long(pictures[k].begin), bytes.begin() + long(to));
    }
    if (left.size() == bytes.size()) return 0;
    out.replaceFinished(from, from + bytes.size(), left);
    return bytes.size() - left.size();
}

}  // namespace

PictureCut cutVideoAtEnd(OutputFile& out, VideoSyntax syntax, std::span<const PtsAnchor> packets,
                         TimeStamp end, uint64_t partEnd) {
    if (packets.empty() || packets.front().offset >= partEnd) return {};
    const uint64_t from = packets.front().offset;
    const std::vector<uint8_t> bytes = out.readFinished(from, partEnd);
    const std::vector<PictureUnit> pictures = pictureUnits(syntax, bytes);
    const std::vector<MaybeTimeStamp> times = pictureTimes(pictures, packets, from);
    const std::vector<bool> kept = picturesBeforeEnd(pictures, times, end);
    PictureCut cut;
    for (size_t k = 0; k < pictures.size(); ++k) {
        if (!kept[k]) ++cut.dropped;
        if (kept[k] && times[k] && stampDistance(*times[k], end) >= 0) ++cut.references;
    }
    cut.bytes = keepPictures(out, from, bytes, pictures, kept);
    return cut;
}

std::vector<bool> picturesFromStart(const std::vector<PictureUnit>& pictures,
                                    const std::vector<MaybeTimeStamp>& times, TimeStamp start) {
    std::vector<bool> kept(pictures.size());
    for (size_t k = 0; k < pictures.size(); ++k)
        kept[k] = pictures[k].reference.value_or(true) || !times[k] || stampDistance(*times[k], start) >= 0;
    return kept;
}

PictureCut cutVideoAtStart(OutputFile& out, VideoSyntax syntax, std::span<const PtsAnchor> packets,
                           TimeStamp start, uint64_t partBegin) {
    if (packets.empty() || packets.back().offset <= partBegin) return {};
    const std::vector<uint8_t> bytes =
        out.readFinished(partBegin, std::min(packets.back().offset, out.written()));
    std::vector<PictureUnit> pictures = pictureUnits(syntax, bytes);
    // The last picture of the stretch may run on past it: it stays, and all after it.
    if (pictures.size() < 2) return {};
    const std::vector<MaybeTimeStamp> times = pictureTimes(pictures, packets, partBegin);
    std::vector<bool> kept = picturesFromStart(pictures, times, start);
    kept.back() = true;
    PictureCut cut;
    for (size_t k = 0; k < pictures.size(); ++k) {
        if (!kept[k]) ++cut.dropped;
        if (kept[k] && k + 1 < pictures.size() && times[k] && stampDistance(*times[k], start) < 0)
            ++cut.references;
    }
    cut.bytes = keepPictures(out, partBegin, bytes, pictures, kept);
    return cut;
}

}  // namespace quarnel
