// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window after reading a source file (and the playlist beside it, so that the
// "XPL" page has something to show) and saves the picture:
//   window_shot SOURCE OUTPUT.png [PAGE [WIDTHxHEIGHT]]
// PAGE is the index of the page to show (0 "Status" by default); the window keeps its
// default size unless one is given. QUARNEL_SHOT_DARK=1 draws it in a dark palette, as a
// desktop with a dark theme would.
#include <QApplication>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

#include "gui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    if (qEnvironmentVariableIntValue("QUARNEL_SHOT_DARK") == 1) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QPalette dark;
        const QColor window(0x2D, 0x2D, 0x30), base(0x1E, 0x1E, 0x1E), text(0xE8, 0xE8, 0xE8);
        dark.setColor(QPalette::Window, window);
        dark.setColor(QPalette::WindowText, text);
        dark.setColor(QPalette::Base, base);
        dark.setColor(QPalette::AlternateBase, window);
        dark.setColor(QPalette::Text, text);
        dark.setColor(QPalette::Button, window);
        dark.setColor(QPalette::ButtonText, text);
        dark.setColor(QPalette::Highlight, QColor(0x3A, 0x6E, 0xA5));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
        QApplication::setPalette(dark);
    }
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: window_shot SOURCE OUTPUT.png [PAGE [WIDTHxHEIGHT]]\n");
        return 2;
    }
    quarnel::MainWindow window({args[1]});
    window.show();
    if (!QTest::qWaitFor([&] { return window.started(); }, 10000)) return 1;
    // The playlist first: a Read after it gives the stream boxes back their read names.
    for (const char* name : {"bReadXPL", "bReadEVO"}) {
        auto* button = window.findChild<QPushButton*>(QLatin1String(name));
        if (button && button->isEnabled()) button->click();
    }
    if (args.size() > 4) {
        const QStringList size = args[4].split(QLatin1Char('x'));
        window.resize(size.value(0).toInt(), size.value(1).toInt());
    }
    if (args.size() > 3)
        window.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(args[3].toInt());
    QTest::qWait(300);
    if (!window.grab().save(args[2])) {
        std::fprintf(stderr, "window_shot: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
