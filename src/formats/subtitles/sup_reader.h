// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the .sup files a Demux writes. A packet of a subpicture stream that carries a time
// stamp is written as a record: "SP", the time (32 bits, little-endian, 90 kHz ticks from the
// title's earliest first PTS), 4 zero bytes, then the packet's bytes; the packets that follow
// without a time stamp are appended as they are. Units are put back together by the size at
// their start. Damaged stretches are reported and passed over; reading goes on at the next
// record header. Memory stays within one unit and one read.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/files.h"

namespace quarnel {

constexpr size_t kSupRecordHeaderBytes = 10;

struct SupItem {
    uint32_t number = 0;  // units counted from 1; 0 for bytes that belong to no record
    uint32_t pts = 0;     // the record's time
    uint64_t offset = 0;  // of the record (or the skipped bytes) in the file
    std::vector<uint8_t> unit;
    std::string_view problem;   // empty for a whole unit
    uint64_t skippedBytes = 0;  // passed over for the problem
};

class SupReader {
  public:
    // Fills up to `count` bytes; returns how many, 0 at the end.
    using ReadBytes = std::function<size_t(uint8_t* into, size_t count)>;
    explicit SupReader(ReadBytes read) : read_(std::move(read)) {}

    // The next unit, or a stretch that could not be read; nullopt at the end of the file.
    std::optional<SupItem> next();

  private:
    bool have(size_t n);  // at least n unread bytes buffered (false only at the end)
    size_t available() const { return buf_.size() - pos_; }
    bool recordHeaderAt(size_t at) const;
    size_t skipToRecord();  // passes over bytes up to the next record header; returns the count

    ReadBytes read_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
    uint64_t consumed_ = 0;  // file offset of buf_[0]
    bool end_ = false;
    uint32_t units_ = 0;
};

// Reads from an open input file.
SupReader::ReadBytes readerOf(InputFile& in);

// "Subpicture unit 12 at 00:01:02.345 skipped: the unit is cut short."
// The lines that say which subtitles were dropped for times that fall or repeat: the first
// ones with their times, then how many more.
std::vector<std::string> droppedSubtitleLines(size_t dropped, const std::vector<uint64_t>& firstStarts);
std::string supProblemLine(const SupItem& item);

}  // namespace quarnel
