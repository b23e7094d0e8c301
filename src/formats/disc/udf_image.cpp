// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/udf_image.h"

#include <udfread/udfread.h>

#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr uint64_t kBlock = 2048;

struct FileCloser {
    void operator()(UDFFILE* f) const { udfread_file_close(f); }
};
using File = std::unique_ptr<UDFFILE, FileCloser>;

}  // namespace

struct UdfImage::Handle {
    udfread* udf = nullptr;
    ~Handle() {
        if (udf) udfread_close(udf);
    }
};

UdfImage::UdfImage(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
    handle_->udf = udfread_init();
    if (!handle_->udf || udfread_open(handle_->udf, path.c_str()) < 0)
        throw QuarnelError("Cannot read the image \"" + path + "\": it holds no UDF file system.");
}

UdfImage::~UdfImage() = default;

std::string UdfImage::volumeId() const {
    const char* id = udfread_get_volume_id(handle_->udf);
    return id ? id : "";
}

std::vector<std::string> UdfImage::names(const std::string& folder) const {
    std::vector<std::string> found;
    UDFDIR* dir = udfread_opendir(handle_->udf, folder.c_str());
    if (!dir) return found;
    udfread_dirent entry;
    while (udfread_readdir(dir, &entry)) {
        const std::string name = entry.d_name;
        if (name != "." && name != "..") found.push_back(name);
    }
    udfread_closedir(dir);
    return found;
}

std::optional<std::string> UdfImage::read(const std::string& file, uint64_t limit) const {
    const File f(udfread_file_open(handle_->udf, file.c_str()));
    if (!f) return std::nullopt;
    const int64_t size = udfread_file_size(f.get());
    if (size < 0 || uint64_t(size) > limit) return std::nullopt;
    std::string bytes(size_t(size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = udfread_file_read(f.get(), bytes.data() + got, bytes.size() - got);
        if (n <= 0) return std::nullopt;
        got += size_t(n);
    }
    return bytes;
}

std::optional<UdfImage::Extent> UdfImage::extentOf(const std::string& file) const {
    const File f(udfread_file_open(handle_->udf, file.c_str()));
    if (!f) return std::nullopt;
    const int64_t size = udfread_file_size(f.get());
    if (size <= 0) return std::nullopt;
    const uint32_t blocks = uint32_t((uint64_t(size) + kBlock - 1) / kBlock);
    const uint32_t first = udfread_file_lba(f.get(), 0);
    if (first == 0) return std::nullopt;
    // The file is read straight from the image only when its blocks follow one another, as
    // discs record their EVOs: the first, middle and last block are where they must be.
    for (const uint32_t block : {blocks / 2, blocks - 1})
        if (udfread_file_lba(f.get(), block) != first + block) return std::nullopt;
    return Extent{uint64_t(first) * kBlock, uint64_t(size)};
}

bool isHdDvdImage(const std::string& path) {
    if (upperExtension(path) != ".ISO" || !fileExists(path)) return false;
    try {
        const UdfImage image(path);
        for (const std::string& name : image.names("/"))
            if (startsInAnyCase(name, "HVDVD_TS") && name.size() == 8) return true;
    } catch (const QuarnelError&) {
    }
    return false;
}

}  // namespace quarnel
