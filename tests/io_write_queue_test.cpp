// SPDX-License-Identifier: GPL-3.0-or-later
// The writer thread: what goes wrong on it (a failed write, a watch that raises) reaches the
// run as an error from the output's next call, and the program goes on; without it (no thread
// could be started) the run's thread writes everything itself.
#include <gtest/gtest.h>
#include <sys/uio.h>

#include <stdexcept>
#include <vector>

#include "fixtures/program_stream_builder.h"
#include "fixtures/temp_dir.h"
#include "io/files.h"
#include "io/thread_start.h"
#include "io/write_queue.h"

namespace quarnel {
namespace {

TEST(WriteQueue, AWatchThatRaisesOnTheWriterThreadFailsTheOutputNotTheProgram) {
    fixtures::TempDir dir;
    const ScopedWriteCall threaded(
        [](int fd, const iovec* pieces, int count) { return ::writev(fd, pieces, count); });
    WriteQueue queue;
    OutputFile out;
    out.create(dir.file("watched.bin"), &queue);
    out.watchWritten(
        [](std::span<const uint8_t>, uint8_t) { throw std::runtime_error("the frame count broke"); });
    const auto window = std::make_shared<MappedWindow>();
    const std::vector<uint8_t> bytes(size_t(2) << 20, 7);
    try {
        out.write(bytes, window, 1);
        out.finish();
        FAIL() << "the watch's failure was not raised";
    } catch (const QuarnelError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot write file \"" + dir.file("watched.bin") + "\": the frame count broke");
    }
    out.discard();
    EXPECT_FALSE(fileExists(dir.file("watched.bin")));
}

TEST(WriteQueue, WithoutAThreadTheRunsThreadWritesEveryByteInOrder) {
    fixtures::TempDir dir;
    const ScopedWriteCall threaded(
        [](int fd, const iovec* pieces, int count) { return ::writev(fd, pieces, count); });
    const ScopedFailingThreadStarts noThreads;
    WriteQueue queue;
    OutputFile out;
    out.create(dir.file("unthreaded.bin"), &queue);
    std::vector<uint8_t> bytes(size_t(3) << 20);
    for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = uint8_t(k * 7 + k / 4096);
    for (size_t at = 0; at < bytes.size(); at += 100000)
        out.write(std::span(bytes).subspan(at, std::min<size_t>(100000, bytes.size() - at)));
    out.finish();
    out.commit();
    EXPECT_EQ(fixtures::readFile(dir.file("unthreaded.bin")), bytes);
}

}  // namespace
}  // namespace quarnel
