// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/dvd_ifo.h"

#include <array>
#include <cstring>

#include "codecs/colour_space.h"
#include "io/byte_view.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr const char* kIfoIdentifier = "DVDVIDEO-VTS";

// `n` bytes at `at`, or false when the file ends before them.
template <size_t N>
bool readAt(InputFile& in, uint64_t at, std::array<uint8_t, N>& into) {
    if (at > in.size() || in.size() - at < N) return false;
    in.seek(at);
    return in.read(into.data(), N) == N;
}

// Opens `path` as a title set's information file; raises QuarnelError when it is not one.
void openIfo(InputFile& in, const std::string& path) {
    in.open(path);
    std::array<uint8_t, 12> id{};
    if (!readAt(in, 0, id) || std::memcmp(id.data(), kIfoIdentifier, id.size()) != 0)
        throw QuarnelError("it is not a title set's information file");
}

}  // namespace

IfoSubpictureFacts readIfoSubpictureFacts(const std::string& path) {
    InputFile in;
    openIfo(in, path);
    std::array<uint8_t, 1> video{};
    std::array<uint8_t, 32 * ifo_at::kSubpictureAttributeBytes> subpictures{};
    if (!readAt(in, ifo_at::kVideoAttributes, video) ||
        !readAt(in, ifo_at::kSubpictureAttributes, subpictures))
        throw QuarnelError("it is cut short");
    IfoSubpictureFacts facts;
    facts.height = ((video[0] >> 4) & 3) == 1 ? 576 : 480;
    for (size_t k = 0; k < facts.languages.size(); ++k) {
        const uint8_t* a = subpictures.data() + k * ifo_at::kSubpictureAttributeBytes;
        const char c0 = char(a[2]), c1 = char(a[3]);
        if ((a[0] & 3) == 1 && c0 >= 'a' && c0 <= 'z' && c1 >= 'a' && c1 <= 'z')
            facts.languages[k] = {c0, c1};
    }
    return facts;
}

DvdPalette readIfoPalette(const std::string& path) {
    InputFile in;
    openIfo(in, path);
    std::array<uint8_t, 4> word{};
    if (!readAt(in, ifo_at::kPgcitSector, word)) throw QuarnelError("it is cut short");
    const uint64_t pgcit = uint64_t(loadU32(word.data())) * kIfoSectorBytes;
    if (pgcit == 0 || !readAt(in, pgcit + ifo_at::kFirstPgcOffset, word))
        throw QuarnelError("its program chain table lies outside it");
    std::array<uint8_t, 64> entries{};
    if (!readAt(in, pgcit + loadU32(word.data()) + ifo_at::kPalette, entries))
        throw QuarnelError("its first program chain lies outside it");
    DvdPalette palette;
    for (size_t k = 0; k < palette.size(); ++k) {
        const uint8_t* e = entries.data() + 4 * k;
        palette[k] = toRgb(YCrCb{e[1], e[2], e[3]}, ColourMatrix::Bt601);
    }
    return palette;
}

std::string ifoBeside(const std::string& vob) {
    const std::string name = nameOf(vob);
    // VTS_nn_m.VOB, in any case; the IFO is named in the case of the VOB's extension
    if (name.size() != 12 || !startsInAnyCase(name, "VTS_") || name[6] != '_' ||
        upperExtension(name) != ".VOB")
        return {};
    return folderOf(vob) + name.substr(0, 7) + (name.back() == 'b' ? "0.ifo" : "0.IFO");
}

}  // namespace quarnel
