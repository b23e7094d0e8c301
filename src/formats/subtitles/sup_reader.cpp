// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/sup_reader.h"

#include <algorithm>
#include <cstdio>

#include "codecs/subpicture_unit.h"

namespace quarnel {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr std::string_view kNoRecordHeader = "no record header";
constexpr std::string_view kRecordCut = "the file ends inside the unit";

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string timeText(uint32_t ticks) {
    const uint64_t ms = ticks / 90;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", unsigned(ms / 3600000), unsigned(ms / 60000 % 60),
                  unsigned(ms / 1000 % 60), unsigned(ms % 1000));
    return buf;
}

}  // namespace

bool SupReader::have(size_t n) {
    while (available() < n && !end_) {
        if (pos_ > 0) {
            buf_.erase(buf_.begin(), buf_.begin() + std::ptrdiff_t(pos_));
            consumed_ += pos_;
            pos_ = 0;
        }
        const size_t old = buf_.size();
        buf_.resize(old + std::max(kReadChunk, n - old));
        const size_t got = read_(buf_.data() + old, buf_.size() - old);
        buf_.resize(old + got);
        end_ = got == 0;
    }
    return available() >= n;
}

// "SP", the time, and the 4 zero bytes a Demux writes.
bool SupReader::recordHeaderAt(size_t at) const {
    const uint8_t* p = buf_.data() + at;
    return p[0] == 'S' && p[1] == 'P' && (p[6] | p[7] | p[8] | p[9]) == 0;
}

size_t SupReader::skipToRecord() {
    size_t skipped = 0;
    for (;;) {
        if (!have(kSupRecordHeaderBytes)) {
            skipped += available();
            pos_ = buf_.size();
            return skipped;
        }
        if (recordHeaderAt(pos_)) return skipped;
        ++pos_;
        ++skipped;
    }
}

std::optional<SupItem> SupReader::next() {
    if (!have(1)) return std::nullopt;
    SupItem item;
    item.offset = consumed_ + pos_;
    const bool whole = have(kSupRecordHeaderBytes);
    const bool marked = available() >= 2 && buf_[pos_] == 'S' && buf_[pos_ + 1] == 'P';
    if (!whole || !marked) {
        item.problem = marked ? kRecordCut : kNoRecordHeader;
        item.skippedBytes = marked ? available() : skipToRecord();
        pos_ += marked ? available() : 0;
        return item;
    }
    item.number = ++units_;
    item.pts = le32(buf_.data() + pos_ + 2);
    pos_ += kSupRecordHeaderBytes;

    have(kUnitSizeFieldBytes);
    const auto declared = declaredUnitSize({buf_.data() + pos_, available()});
    if (!declared) {
        item.problem = kRecordCut;
        item.skippedBytes = available();
        pos_ = buf_.size();
        return item;
    }
    if (declared->fault != UnitFault::None) {
        item.problem = unitFaultText(declared->fault);
        item.skippedBytes = skipToRecord();
        return item;
    }
    if (!have(declared->size)) {
        item.problem = kRecordCut;
        item.skippedBytes = available();
        pos_ = buf_.size();
        return item;
    }
    item.unit.assign(buf_.begin() + std::ptrdiff_t(pos_),
                     buf_.begin() + std::ptrdiff_t(pos_ + declared->size));
    pos_ += declared->size;
    return item;
}

SupReader::ReadBytes readerOf(InputFile& in) {
    return [&in](uint8_t* into, size_t count) { return in.read(into, count); };
}

std::vector<std::string> droppedSubtitleLines(size_t dropped, const std::vector<uint64_t>& firstStarts) {
    std::vector<std::string> lines;
    for (const uint64_t start : firstStarts)
        lines.push_back("Subtitle at " + timeText(uint32_t(start)) +
                        " dropped: the record after it starts at the same time or earlier.");
    if (dropped > firstStarts.size())
        lines.push_back(std::to_string(dropped - firstStarts.size()) + " more subtitles dropped likewise.");
    return lines;
}

std::string supProblemLine(const SupItem& item) {
    if (item.number == 0)
        return std::to_string(item.skippedBytes) + " bytes at offset " + std::to_string(item.offset) +
               " skipped: " + std::string(item.problem) + ".";
    return "Subpicture unit " + std::to_string(item.number) + " at " + timeText(item.pts) +
           " skipped: " + std::string(item.problem) + ".";
}

}  // namespace quarnel
