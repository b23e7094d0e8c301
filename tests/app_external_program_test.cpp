// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "app/external_program.h"

namespace quarnel {
namespace {

// What a child prints is read in lines of at most kMaxLineBytes: 100 MB without a line end is
// one line, cut, and the memory stays flat.
TEST(ExternalProgram, ALineWithoutEndIsCutAndTheRestDropped) {
    std::vector<std::string> lines;
    const int status =
        runToEnd("/bin/sh", {"-c", "head -c 100000000 /dev/zero | tr '\\0' x; echo; echo last"}, lines);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(ExternalProgram::kMaxLineBytes, 'x'));
    EXPECT_EQ(lines[1], "last");
}

}  // namespace
}  // namespace quarnel
