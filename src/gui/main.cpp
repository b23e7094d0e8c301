// SPDX-License-Identifier: GPL-3.0-or-later
// quarnel: the desktop window. "quarnel FILE" reads FILE at start-up; --help and --version are
// answered on the terminal, without a display.
#include <QApplication>
#include <QCommandLineParser>
#include <cstring>

#include "gui/main_window.h"
#include "io/files.h"
#include "quarnel_version.h"

namespace {

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Quarnel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_VERSION));
}

// The command line: an optional file, --help, --version.
void parse(QCommandLineParser& parser, const QCoreApplication& app) {
    parser.setApplicationDescription(QStringLiteral(
        "Reads, demultiplexes and rebuilds the EVO, VOB and AOB files of HD DVD and DVD discs."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("An EVO, VOB or AOB file to read at once."),
                                 QStringLiteral("[file]"));
    parser.process(app);  // --help, --version and unknown options end the program here
}

bool asksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--help", "-h", "--help-all", "--version", "-v"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    quarnel::openClosedStandardDescriptors();
    if (asksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        parse(parser, app);
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();
    QApplication::setDesktopFileName(QStringLiteral("quarnel"));
    QCommandLineParser parser;
    parse(parser, app);
    quarnel::MainWindow window(parser.positionalArguments());
    window.show();
    return app.exec();
}
