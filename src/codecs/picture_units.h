// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of a video elementary stream in decode order: where each one's access unit
// begins (the sequence, GOP or entry-point headers in front of it included) and whether later
// pictures may be predicted from it. A stream cut at these places keeps whole pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quarnel {

// How a coding marks its pictures.
enum class VideoSyntax : uint8_t {
    Mpeg2,  // picture start code 00 00 01 00, picture_coding_type I/P/B
    Vc1,    // frame start code 00 00 01 0D, the Advanced profile's PTYPE or FPTYPE
    H264,   // access unit delimiter or the first slice of a picture, nal_ref_idc
};

struct PictureUnit {
    size_t begin = 0;  // the first byte of its access unit
    // Where the picture's own start code begins: a PES packet's time stamp belongs to the
    // first picture whose code begins in the packet.
    size_t code = 0;
    // Whether later pictures may refer to it (I and P pictures, an H.264 picture with a
    // nal_ref_idc); nullopt when its header does not tell (a VC-1 frame before any sequence
    // header, a header cut short).
    std::optional<bool> reference;
};

// The pictures whose start code begins in `bytes`, in the order they are decoded. Bytes
// before the first one belong to a picture that began earlier.
std::vector<PictureUnit> pictureUnits(VideoSyntax syntax, std::span<const uint8_t> bytes);

}  // namespace quarnel
