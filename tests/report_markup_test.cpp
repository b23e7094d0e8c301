// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "report/markup.h"

namespace quarnel {
namespace {

TextStyle bold() {
    TextStyle s;
    s.bold = true;
    return s;
}
TextStyle coloured(uint32_t rgb) {
    TextStyle s;
    s.rgb = rgb;
    return s;
}

TEST(Markup, TagsAreRemovedAndStyleTheirRun) {
    const LogLine line = parseMarkup("Opening file [b]a.evo[/b]");
    EXPECT_EQ(line.text, "Opening file a.evo");
    ASSERT_EQ(line.runs.size(), 2u);
    EXPECT_EQ(line.runs[0], (StyledRun{0, 13, TextStyle{}}));
    EXPECT_EQ(line.runs[1], (StyledRun{13, 5, bold()}));
}

TEST(Markup, TwoRunsAroundOnePlainCharacter) {
    const LogLine line = parseMarkup("   Size = [bl]1920[/bl]x[bl]1080[/bl]");
    EXPECT_EQ(line.text, "   Size = 1920x1080");
    ASSERT_EQ(line.runs.size(), 4u);
    EXPECT_EQ(line.runs[1], (StyledRun{10, 4, coloured(0x0000FF)}));
    EXPECT_EQ(line.runs[2], (StyledRun{14, 1, TextStyle{}}));
    EXPECT_EQ(line.runs[3], (StyledRun{15, 4, coloured(0x0000FF)}));
}

TEST(Markup, TagTableEffects) {
    EXPECT_EQ(styleForTag("re").rgb, 0xFF0000u);
    EXPECT_TRUE(styleForTag("i").italic);
    EXPECT_TRUE(styleForTag("u").underline);
    EXPECT_EQ(styleForTag("s1").points, 10);
    EXPECT_EQ(styleForTag("s2").points, 12);
    // lowest byte red, then green, then blue; non-hex characters skipped
    EXPECT_EQ(styleForTag("c:FF0000").rgb, 0x0000FFu);
    EXPECT_EQ(styleForTag("c:0000ff").rgb, 0xFF0000u);
    EXPECT_EQ(styleForTag("c:00zFF00").rgb, 0x00FF00u);
    EXPECT_EQ(styleForTag("xyz"), TextStyle{});
}

TEST(Markup, UnknownTagShowsItsTextInTheBaseStyle) {
    const LogLine line = parseMarkup("a[xyz]b[/xyz]c");
    EXPECT_EQ(line.text, "abc");
    for (const auto& r : line.runs) EXPECT_EQ(r.style, TextStyle{});
}

TEST(Markup, BracketsWithoutClosingTagStayInTheText) {
    const LogLine line = parseMarkup("Opening file [b]Movie [2007].EVO[/b]");
    EXPECT_EQ(line.text, "Opening file Movie [2007].EVO");
    ASSERT_EQ(line.runs.size(), 2u);
    EXPECT_EQ(line.runs[1], (StyledRun{13, 16, bold()}));
    EXPECT_EQ(parseMarkup("x [/b] [ ] [").text, "x [/b] [ ] [");
}

TEST(Markup, EmptyLine) {
    const LogLine line = parseMarkup("");
    EXPECT_EQ(line.text, "");
    EXPECT_TRUE(line.runs.empty());
}

}  // namespace
}  // namespace quarnel
