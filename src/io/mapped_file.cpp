// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "io/files.h"

namespace quarnel {

MappedFile::MappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw QuarnelError("Cannot open file \"" + path + "\". " + systemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw QuarnelError("Cannot read file \"" + path + "\". " + systemReason(err));
    }
    size_ = size_t(st.st_size);
    if (size_ > 0) {
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            const int err = errno;
            ::close(fd);
            throw QuarnelError("Cannot read file \"" + path + "\". " + systemReason(err));
        }
        ::madvise(p, size_, MADV_SEQUENTIAL);
        data_ = static_cast<const uint8_t*>(p);
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace quarnel
