// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/png_image.h"

#include <png.h>

#include <csetjmp>

namespace quarnel {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}

// libpng reports errors by a long jump back into this function; nothing with a destructor is
// made between the jump's set-up and its target.
bool codePng(std::vector<uint8_t>& out, int width, int height, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Subtitle pictures are large areas of few colours: the fastest compression, with no row
    // filters, codes them several times faster at nearly the same size.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> encodePng(int width, int height, const std::vector<Rgba>& pixels) {
    static_assert(sizeof(Rgba) == 4);
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return std::nullopt;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = reinterpret_cast<png_bytep>(const_cast<Rgba*>(pixels.data() + y * size_t(width)));
    std::vector<uint8_t> out;
    if (!codePng(out, width, height, rows)) return std::nullopt;
    return out;
}

std::vector<Rgba> eventRgba(const SubpictureEvent& e) {
    std::vector<Rgba> out;
    out.reserve(e.pixels.size());
    for (uint8_t p : e.pixels) {
        const Rgba c = p < e.palette.size() ? e.palette[p] : Rgba{};
        out.push_back(c.a == 0 ? Rgba{} : c);
    }
    return out;
}

}  // namespace quarnel
