// SPDX-License-Identifier: GPL-3.0-or-later
// The layout of the program stream's packs, PES packets, system header and navigation
// packets: every id and offset the scanner, the navigation reader and the rewriter use, and the
// bit layout of the PTS and DTS fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/time_stamp.h"

namespace quarnel {

// --- stream ids of the program stream
constexpr uint8_t kPackStartId = 0xBA;
constexpr uint8_t kSystemHeaderId = 0xBB;
constexpr uint8_t kProgramStreamMapId = 0xBC;
constexpr uint8_t kPrivateStream1Id = 0xBD;
constexpr uint8_t kPaddingId = 0xBE;
constexpr uint8_t kPrivateStream2Id = 0xBF;
constexpr uint8_t kExtendedStreamId = 0xFD;  // VC-1, told apart by stream_id_extension
// MPEG audio: parsed and skipped; such packets have no stream slot of their own.
constexpr uint8_t kMpegAudioFirstId = 0xC0;
constexpr uint8_t kMpegAudioLastId = 0xCF;

// --- sub-stream ids of private stream 2 (navigation packets)
constexpr uint8_t kPciSubstream = 0x00;
constexpr uint8_t kDsiSubstream = 0x01;
constexpr uint8_t kCopyControlSubstream = 0x04;
constexpr uint8_t kAdvancedSubstream = 0x80;

// --- PES header: flag bits of its second flags byte and of the extension flags
constexpr uint8_t kPesHasPts = 0x80;
constexpr uint8_t kPesHasDts = 0x40;
constexpr uint8_t kPesHasExtension = 0x01;
constexpr uint8_t kExtensionHasPstd = 0x10;
constexpr uint8_t kExtensionHasExtension2 = 0x01;
constexpr size_t kStampBytes = 5;  // one PTS or DTS field

// --- a 2048-byte pack of an EVO: the offsets from its first byte. Every pack holds one PES
// packet right after its 14-byte pack header; a navigation pack opens with the system header.
constexpr size_t kPackBytes = 2048;
namespace pack_at {
constexpr size_t kStartCode = 0;   // 00 00 01 BA
constexpr size_t kMuxRate = 10;    // program_mux_rate, markers, pack_stuffing_length
constexpr size_t kStreamId = 17;   // of the first PES packet, or 0xBB
constexpr size_t kPesFlags1 = 20;  // for private stream 2: its sub-stream id
constexpr size_t kPesFlags2 = 21;  // kPesHasPts, kPesHasDts, kPesHasExtension
constexpr size_t kHeaderDataLength = 22;
constexpr size_t kPesHeaderData = 23;
constexpr size_t kPts = 23;
constexpr size_t kDts = 28;
constexpr size_t kAudioBound = 23;   // system header: audio_bound (6 bits), fixed, CSPS
constexpr size_t kVideoBound = 24;   // system header: locks, marker, video_bound (5 bits)
constexpr size_t kDsiCheck = 0x509;  // end of the DSI packet's start code, its id and length
constexpr size_t kDsi = 0x50D;       // the DSI packet's sub-stream id in a navigation pack
}  // namespace pack_at

constexpr uint8_t kPackStart[4] = {0x00, 0x00, 0x01, 0xBA};
// An MPEG-2 pack header's bytes after its start code, stuffing aside: SCR (6, the first with
// the bits 01 on top), program_mux_rate with markers (3), pack_stuffing_length (1).
constexpr size_t kPackHeaderRest = 10;
// 75600 × 50 bytes/s, no stuffing: the packs of an EVO. Other packs are copied as they are.
constexpr uint8_t kEvoMuxRate[4] = {0x04, 0x9D, 0x43, 0xF8};
// 00 00 01 | BF | length 755 | sub-stream 1: a DSI packet at its place in an EVO navigation pack.
constexpr uint8_t kDsiCheckBytes[5] = {0x01, 0xBF, 0x02, 0xF3, 0x01};

// --- the DSI packet: offsets from its sub-stream id byte
namespace dsi_at {
constexpr size_t kVobIdn = 0x19;
constexpr size_t kVobVSPtm = 0x2D;
constexpr size_t kVobVEPtm = 0x31;
constexpr size_t kASyncaVob = 0x193;
constexpr size_t kASyncaEvo = 0x213;  // HD DVD: the synchronous information lies 0x80 further
constexpr size_t kSpSyncaVob = 0x1A3;
constexpr size_t kSpSyncaEvo = 0x223;
}  // namespace dsi_at
constexpr int kASyncaEntries = 8;    // 2 bytes each
constexpr int kSpSyncaEntries = 32;  // 4 bytes each

// --- a DVD's PCI packet: offsets from its sub-stream id byte
namespace pci_at {
constexpr size_t kVobuStartPtm = 0x0D;  // VOBU_S_PTM: the VOBU's first video frame
constexpr size_t kVobuEndPtm = 0x11;    // VOBU_E_PTM: the end of its last video frame
}  // namespace pci_at

// --- the copy-control packet: offsets from its sub-stream id byte
namespace control_at {
constexpr size_t kEncryption = 0x0D;
constexpr size_t kFlags = 0x19;
constexpr size_t kValues = 0x1B;
}  // namespace control_at

// --- the system header right after a file's first pack header: offsets from the file's start
namespace first_pack_at {
constexpr size_t kSystemHeaderCode = 16;  // 01 BB: the end of the system header's start code
constexpr size_t kAudioBound = 23;
constexpr size_t kVideoBound = 24;
}  // namespace first_pack_at

// The 33-bit time stamp of a PTS or DTS field: '001x' or '0011' prefix, bits 32-30, marker,
// bits 29-15, marker, bits 14-0, marker.
constexpr TimeStamp decodeStamp(const uint8_t* p) {
    return TimeStamp(p[0] & 0x0E) << 29 | TimeStamp(p[1]) << 22 | TimeStamp(p[2] & 0xFE) << 14 |
           TimeStamp(p[3]) << 7 | TimeStamp(p[4]) >> 1;
}

// Writes a time stamp into a PTS or DTS field (its 33 bits: the clock wraps round); the prefix
// bits and the first marker stay as they are, the other markers are set.
constexpr void encodeStamp(uint8_t* p, TimeStamp v) {
    v &= kTimeStampMask;
    p[0] = uint8_t((p[0] & 0xF1) | ((v >> 29) & 0x0E));
    p[1] = uint8_t(v >> 22);
    p[2] = uint8_t(((v >> 15) & 0x7F) << 1 | 1);
    p[3] = uint8_t(v >> 7);
    p[4] = uint8_t((v & 0x7F) << 1 | 1);
}

}  // namespace quarnel
