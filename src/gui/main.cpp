// quarnel: the desktop window. "quarnel FILE" reads FILE at start-up.
#include <QApplication>

#include "gui/tf_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    QApplication::setApplicationVersion(QStringLiteral(QUARNEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quarnel"));
    quarnel::TfMain window(QApplication::arguments().mid(1));
    window.show();
    return app.exec();
}
