// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window after reading a source file (and the playlist beside it, so that the
// "XPL" page has something to show) and saves the picture:
//   window_shot SOURCE OUTPUT.png [PAGE [WIDTHxHEIGHT]]
// PAGE is the index of the page to show (0 "Status" by default); the window keeps its
// default size unless one is given.
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

#include "gui/tf_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: window_shot SOURCE OUTPUT.png [PAGE [WIDTHxHEIGHT]]\n");
        return 2;
    }
    quarnel::TfMain window({args[1]});
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
