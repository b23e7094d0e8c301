// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/picture_units.h"

#include "codecs/bit_reader.h"
#include "codecs/mpeg2_video.h"
#include "codecs/vc1.h"

namespace quarnel {
namespace {

constexpr uint8_t kMpeg2Picture = 0x00, kMpeg2LastSlice = 0xAF, kMpeg2SequenceHeader = 0xB3, kMpeg2Gop = 0xB8;
constexpr uint8_t kVc1Frame = 0x0D, kVc1EntryPoint = 0x0E, kVc1SequenceHeader = 0x0F,
                  kVc1EntryUserData = 0x1E, kVc1SequenceUserData = 0x1F;
constexpr uint8_t kH264Delimiter = 9, kH264Sei = 6, kH264Sps = 7, kH264Pps = 8;

// Whether a VC-1 Advanced-profile frame is one later frames may refer to, from its first
// header bits: FCM when the sequence is interlaced, then PTYPE (0 P, 10 B, 110 I, 1110 BI,
// 1111 skipped, which repeats the frame before and is referred to as it) or, for a frame of
// two fields, FPTYPE (I/I, I/P, P/I, P/P refer; B/B, B/BI, BI/B, BI/BI do not).
bool vc1Reference(std::span<const uint8_t> header, bool interlace) {
    BitReader r(header);
    if (interlace && r.getbits(1) == 1 && r.getbits(1) == 1) return r.getbits(3) < 4;
    if (r.getbits(1) == 0) return true;   // P
    if (r.getbits(1) == 0) return false;  // B
    if (r.getbits(1) == 0) return true;   // I
    return r.getbits(1) == 1;             // skipped; BI does not
}

// Walks the start codes, opening a unit at each picture and keeping the headers in front of a
// picture with it.
class UnitFinder {
  public:
    UnitFinder(VideoSyntax syntax, std::span<const uint8_t> bytes) : syntax_(syntax), bytes_(bytes) {}

    std::vector<PictureUnit> run() {
        for (size_t i = 0; i + 3 < bytes_.size(); ++i) {
            if (bytes_[i] != 0 || bytes_[i + 1] != 0 || bytes_[i + 2] != 1) continue;
            // An H.264 unit's start code may have a zero byte in front (00 00 00 01), which
            // begins the unit.
            const size_t at = syntax_ == VideoSyntax::H264 && i > 0 && bytes_[i - 1] == 0 ? i - 1 : i;
            code(at, bytes_[i + 3], bytes_.subspan(i + 4));
            i += 3;
        }
        return std::move(units_);
    }

  private:
    const VideoSyntax syntax_;
    const std::span<const uint8_t> bytes_;
    std::vector<PictureUnit> units_;
    std::optional<size_t> headers_;  // where the headers in front of the next picture begin
    std::optional<bool> vc1Interlace_;
    bool sliceSeen_ = false;  // H.264: the open unit holds a slice already

    void header(size_t at) {
        if (!headers_) headers_ = at;
    }
    void open(size_t at, std::optional<bool> reference) {
        units_.push_back({headers_.value_or(at), at, reference});
        headers_.reset();
    }

    void code(size_t at, uint8_t id, std::span<const uint8_t> after) {
        switch (syntax_) {
            case VideoSyntax::Mpeg2:
                if (id == kMpeg2SequenceHeader || id == kMpeg2Gop) {
                    header(at);
                } else if (id == kMpeg2Picture) {
                    const auto picture = decodeMpeg2PictureHeader(after);
                    const int type = picture ? picture->pictureCodingType : 0;
                    open(at, type >= 1 && type <= 3 ? std::optional<bool>(type != 3) : std::nullopt);
                }
                return;
            case VideoSyntax::Vc1:
                if (id == kVc1SequenceHeader) {
                    if (const auto h = decodeVc1SequenceHeader(after)) vc1Interlace_ = h->interlace;
                    header(at);
                } else if (id == kVc1EntryPoint || id == kVc1EntryUserData || id == kVc1SequenceUserData) {
                    header(at);
                } else if (id == kVc1Frame) {
                    open(at, vc1Interlace_ && !after.empty()
                                 ? std::optional<bool>(vc1Reference(after, *vc1Interlace_))
                                 : std::nullopt);
                }
                return;
            case VideoSyntax::H264:
                h264Unit(at, id, after);
                return;
        }
    }

    // An access unit opens at its delimiter; without delimiters, at the parameter sets or SEI
    // after a picture's slices, or at a slice that starts a picture (first_mb_in_slice 0).
    void h264Unit(size_t at, uint8_t nalHeader, std::span<const uint8_t> after) {
        const int type = nalHeader & 0x1F;
        const bool refers = (nalHeader >> 5 & 3) != 0;
        if (type == kH264Delimiter) {
            headers_.reset();
            open(at, std::nullopt);
            sliceSeen_ = false;
        } else if (type == kH264Sei || type == kH264Sps || type == kH264Pps) {
            if (sliceSeen_ || units_.empty()) header(at);
        } else if (type == 1 || type == 5) {
            const bool firstSlice = !after.empty() && (after[0] & 0x80) != 0;
            if (units_.empty() || (firstSlice && sliceSeen_)) {
                open(at, std::nullopt);
                sliceSeen_ = false;
            }
            PictureUnit& unit = units_.back();
            unit.reference = unit.reference.value_or(false) || refers;
            sliceSeen_ = true;
        }
    }
};

}  // namespace

std::vector<PictureUnit> pictureUnits(VideoSyntax syntax, std::span<const uint8_t> bytes) {
    return UnitFinder(syntax, bytes).run();
}

}  // namespace quarnel
