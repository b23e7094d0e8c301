// SPDX-License-Identifier: GPL-3.0-or-later
// A disc image's UDF file system (an HD DVD's UDF 2.50 with its metadata partition, or older
// UDF) read through libudfread, without mounting: its folders' names, small files read whole,
// and where a large file's bytes lie in the image, so that they are read from the image itself.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class UdfImage {
  public:
    // Raises QuarnelError when `path` holds no UDF file system.
    explicit UdfImage(const std::string& path);
    ~UdfImage();
    UdfImage(const UdfImage&) = delete;
    UdfImage& operator=(const UdfImage&) = delete;

    const std::string& path() const { return path_; }
    std::string volumeId() const;
    // The names in a folder ("/HVDVD_TS"); empty when there is no such folder.
    std::vector<std::string> names(const std::string& folder) const;
    // A file of at most `limit` bytes, whole; nullopt when it is missing or larger.
    std::optional<std::string> read(const std::string& file, uint64_t limit) const;

    // Where a file's bytes lie in the image: [offset, offset + size).
    struct Extent {
        uint64_t offset = 0, size = 0;
    };
    // nullopt when the file is missing or its blocks do not follow one another in the image.
    std::optional<Extent> extentOf(const std::string& file) const;

  private:
    std::string path_;
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// Whether `path` is an image file (".iso") holding an HD DVD's HVDVD_TS folder.
bool isHdDvdImage(const std::string& path);

}  // namespace quarnel
