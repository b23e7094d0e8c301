// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <vector>

#include "fixtures/temp_dir.h"
#include "io/files.h"

namespace quarnel {
namespace {

std::vector<uint8_t> patterned(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t k = 0; k < size; ++k) bytes[k] = uint8_t(k * 7 + k / 4099);
    return bytes;
}

std::string written(fixtures::TempDir& dir, const std::vector<uint8_t>& bytes) {
    const std::string path = dir.file("in.bin");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// Views of odd sizes over several mapped windows (or copies), a read between them and a seek
// back give the file's bytes in order; the end gives an empty view.
TEST(InputFile, ViewsReadsAndSeeksSeeTheSameBytes) {
    fixtures::TempDir dir;
    const std::vector<uint8_t> bytes = patterned((size_t(5) << 20) + 1234);
    for (const ViewAccess access : {ViewAccess::Mapped, ViewAccess::Copied}) {
        SCOPED_TRACE(access == ViewAccess::Mapped ? "mapped" : "copied");
        InputFile in;
        in.setViewAccess(access);
        in.open(written(dir, bytes));
        std::vector<uint8_t> seen;
        for (size_t step = 1; in.position() < in.size(); step = step * 3 + 1) {
            if (step % 2 == 0) {
                std::vector<uint8_t> got(step % 70001);
                got.resize(in.read(got.data(), got.size()));
                seen.insert(seen.end(), got.begin(), got.end());
            } else {
                const std::span<const uint8_t> view = in.view(step % 900001);
                seen.insert(seen.end(), view.begin(), view.end());
            }
            if (step > 1000000) step = 1;
        }
        EXPECT_TRUE(seen == bytes);
        EXPECT_TRUE(in.view(10).empty());
        in.seek(4095);
        const std::span<const uint8_t> again = in.view(3);
        ASSERT_EQ(again.size(), 3u);
        EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin() + 4095));
    }
}

// A copied view's buffer is taken again by the next view only when nothing else holds it: the
// bytes an output still holds stay as they were.
TEST(InputFile, ACopiedViewThatIsHeldIsNotOverwritten) {
    fixtures::TempDir dir;
    const std::vector<uint8_t> bytes = patterned(size_t(1) << 20);
    InputFile in;
    in.setViewAccess(ViewAccess::Copied);
    in.open(written(dir, bytes));
    const std::span<const uint8_t> first = in.view(65536);
    std::shared_ptr<const MappedWindow> held = in.window();
    const std::span<const uint8_t> second = in.view(65536);
    EXPECT_NE(first.data(), second.data());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + 65536));
    EXPECT_TRUE(in.mappedAhead(10).empty());
    held.reset();
    const uint8_t* const reused = in.view(65536).data();
    EXPECT_EQ(in.view(65536).data(), reused);  // nothing held it: the same buffer again
}

// A file cut short by another program while its bytes are viewed: the process goes on, the lost
// bytes read as zeros, and the reader is told.
TEST(InputFile, AFileCutShortUnderAViewIsReportedNotACrash) {
    fixtures::TempDir dir;
    const std::vector<uint8_t> bytes = patterned(size_t(1) << 20);
    const std::string path = written(dir, bytes);
    InputFile in;
    in.open(path);
    const std::span<const uint8_t> view = in.view(bytes.size());
    ASSERT_EQ(view.size(), bytes.size());
    EXPECT_NO_THROW(in.checkViewWhole());
    ASSERT_EQ(::truncate(path.c_str(), 8192), 0);
    EXPECT_EQ(view[100], bytes[100]);
    EXPECT_EQ(view[bytes.size() - 1], 0);
    EXPECT_THROW(
        {
            try {
                in.checkViewWhole();
            } catch (const QuarnelError& e) {
                EXPECT_STREQ(e.what(),
                             ("Cannot read file \"" + path + "\". It became shorter while it was being read.")
                                 .c_str());
                throw;
            }
        },
        QuarnelError);
    EXPECT_TRUE(in.view(10).empty());  // past the new end
}

// A file system without mmap (a sysfs attribute here, a network share elsewhere): the bytes are
// read instead, as far as the file reaches.
TEST(InputFile, AFileThatCannotBeMappedIsReadInstead) {
    const std::string path = "/sys/kernel/mm/transparent_hugepage/enabled";
    std::ifstream plain(path, std::ios::binary);
    const std::vector<uint8_t> expected{std::istreambuf_iterator<char>(plain), {}};
    if (expected.empty()) GTEST_SKIP() << path << " cannot be read here";
    InputFile in;
    in.open(path);
    const std::span<const uint8_t> view = in.view(1 << 20);
    EXPECT_TRUE(std::vector<uint8_t>(view.begin(), view.end()) == expected);
    EXPECT_TRUE(in.view(1 << 20).empty());
}

}  // namespace
}  // namespace quarnel
