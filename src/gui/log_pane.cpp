// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/log_pane.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "gui/log_colours.h"

namespace quarnel {
namespace {

QTextCharFormat formatFor(const TextStyle& style, const QTextEdit& pane) {
    QTextCharFormat f;
    f.setFontFamilies(baseLogFont().families());
    f.setFontPointSize(style.points);
    f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.italic);
    f.setFontUnderline(style.underline);
    if (style.rgb) {
        f.setForeground(logColourOn(*style.rgb, pane.palette().color(QPalette::Base)));
    } else {
        f.setForeground(pane.palette().color(QPalette::Text));
    }
    return f;
}

}  // namespace

QFont baseLogFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans")});
    font.setPointSize(8);
    return font;
}

void appendStyledLine(QTextEdit& pane, const LogLine& line) {
    QScrollBar* bar = pane.verticalScrollBar();
    QTextDocument* doc = pane.document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    // An empty document already holds one empty paragraph: the first line goes there, and
    // the paragraph is marked so that an empty first line still counts as a line.
    constexpr int kHoldsLine = 1;
    if (doc->blockCount() == 1 && doc->firstBlock().userState() != kHoldsLine)
        doc->firstBlock().setUserState(kHoldsLine);
    else
        cursor.insertBlock();

    // Runs count bytes of the line's text; the text outside every run is regular.
    const std::string& text = line.text;
    const TextStyle regular;
    size_t at = 0;
    const auto insert = [&](size_t from, size_t count, const TextStyle& style) {
        if (count == 0) return;
        cursor.insertText(QString::fromUtf8(text.data() + from, qsizetype(count)), formatFor(style, pane));
    };
    for (const StyledRun& run : line.runs) {
        if (run.start < at || run.start >= text.size()) continue;
        insert(at, run.start - at, regular);
        const size_t count = std::min(run.length, text.size() - run.start);
        insert(run.start, count, run.style);
        at = run.start + count;
    }
    insert(at, text.size() - at, regular);
    cursor.setCharFormat(formatFor(regular, pane));
    bar->setValue(bar->maximum());
}

}  // namespace quarnel
