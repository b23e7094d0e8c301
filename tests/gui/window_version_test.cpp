// SPDX-License-Identifier: GPL-3.0-or-later
// The version check in the real window, against a local update server: the
// start-up exchanges and what they store, and "Check new version" with its
// replies, question, save dialog and download.
#include <QFileDialog>
#include <QTcpServer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "update_server.h"
#include "window_harness.h"

namespace quarnel::guitest {

// Answers the download's save dialog with a chosen path (or cancels it) and
// keeps what it showed.
class SaveDialogAnswerer {
  public:
    explicit SaveDialogAnswerer(QString target) : target_(std::move(target)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || dialog->objectName() != QLatin1String("sdDownfile"))
                return;
            titles << dialog->windowTitle();
            presets << QFileInfo(dialog->selectedFiles().value(0)).fileName();
            if (target_.isEmpty()) return dialog->reject();
            dialog->selectFile(target_);
            static_cast<QDialog*>(dialog)->accept();  // as the Save button does
        });
        timer_.start();
    }
    QStringList titles, presets;

  private:
    QString target_;
    QTimer timer_;
};

class WindowVersion : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    UpdateServer server_;

    static QPushButton* checkNew(MainWindow& w) { return child<QPushButton>(w, "bCheckNew"); }

    // A store as an earlier run left it.
    static void storeEarlierRun(const char* serial, int counter) {
        QSettings s = store();
        s.setValue(QLatin1String(settings::kCounter), counter);
        s.setValue(QLatin1String(settings::kVersion), QLatin1String(kStoredVersion));
        if (serial) s.setValue(QLatin1String(settings::kSerial), QLatin1String(serial));
        s.sync();
    }
    static bool startAndClose() {
        auto w = startWindow();
        if (!w) return false;
        w->close();
        return true;
    }
    // Clicks "Check new version" with the server giving `reply`; the log lines it
    // wrote.
    QStringList check(MainWindow& w, const QByteArray& reply) {
        server_.answers["chkver.php"] = {200, reply};
        child<QPushButton>(w, "bClear")->click();
        checkNew(w)->click();
        return logLines(w);
    }
    static QStringList lines(std::initializer_list<const char*> texts) {
        QStringList out;
        for (const char* t : texts) out << QString::fromUtf8(t);
        return out;
    }
    static QTextCharFormat formatAt(MainWindow& w, const QString& text, int offset) {
        QTextDocument* doc = child<QTextEdit>(w, "reMessage")->document();
        QTextCursor found = doc->find(text);
        QTextCursor at(doc);
        at.setPosition(found.selectionStart() + offset + 1);
        return at.charFormat();
    }

  private slots:
    void initTestCase() {
        QVERIFY(server_.listening());
        useTestSettings(dir_.filePath(QStringLiteral("settings")));
        qputenv(kUpdateUrlVariable, server_.base().toUtf8());
    }
    void init() {
        clearStore();
        server_.requests.clear();
        server_.answers.clear();
        qputenv(kUpdateUrlVariable, server_.base().toUtf8());
    }

    void theIdentifierIsAskedForOnceAndAChangedVersionReported() {
        server_.answers["getid.php"] = {200, "0042"};
        server_.answers["updver.php"] = {200, "ignored"};

        // The very first run has no store yet: nothing is sent.
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(checkNew(*w)->isHidden());
            w->close();
        }
        QVERIFY(server_.requests.isEmpty());

        // The second run: the identifier is asked for and stored; the version is
        // the same.
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(!checkNew(*w)->isHidden());
            w->close();
        }
        QCOMPARE(server_.scripts(), QList<QByteArray>{"getid.php"});
        QCOMPARE(server_.queryValue("getid.php", QStringLiteral("sw")), QStringLiteral("QRN"));
        QCOMPARE(server_.queryValue("getid.php", QStringLiteral("ver")), QStringLiteral("0.628"));
        QCOMPARE(server_.queryValue("getid.php", QStringLiteral("cnt")), QStringLiteral("2"));
        QCOMPARE(store().value(QLatin1String(settings::kSerial)).toString(), QStringLiteral("QRN0042"));

        // A store written by another version: only the report, with the stored
        // identifier.
        server_.requests.clear();
        store().setValue(QLatin1String(settings::kVersion), QStringLiteral("0.627"));
        QVERIFY(startAndClose());
        QCOMPARE(server_.scripts(), QList<QByteArray>{"updver.php"});
        QCOMPARE(server_.queryValue("updver.php", QStringLiteral("ser")), QStringLiteral("QRN0042"));
        QCOMPARE(server_.queryValue("updver.php", QStringLiteral("cnt")), QStringLiteral("3"));

        // The close wrote the running version: the next start sends nothing.
        server_.requests.clear();
        QVERIFY(startAndClose());
        QVERIFY(server_.requests.isEmpty());
    }

    void failedOrSwitchedOffExchangesAreSilent() {
        // No identifier from the server: nothing stored, no button, no message.
        storeEarlierRun(nullptr, 1);
        BoxAnswerer boxes(QMessageBox::Ok);
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(checkNew(*w)->isHidden());
            QVERIFY(logText(*w).isEmpty());
            w->close();
        }
        QCOMPARE(server_.scripts(), QList<QByteArray>{"getid.php"});
        QVERIFY(!store().contains(QLatin1String(settings::kSerial)));

        // No server address: no exchange and no button, even with an identifier.
        qputenv(kUpdateUrlVariable, QByteArray());
        server_.requests.clear();
        storeEarlierRun("QRN0042", 3);
        store().setValue(QLatin1String(settings::kVersion), QStringLiteral("0.627"));
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(checkNew(*w)->isHidden());
        }
        QVERIFY(server_.requests.isEmpty());
        QVERIFY(boxes.texts.isEmpty());
    }

    void theFourRepliesGiveTheirLogLines() {
        storeEarlierRun("QRN0042", 4);
        auto w = startWindow();
        QVERIFY(w);
        BoxAnswerer no(QMessageBox::No);

        QCOMPARE(check(*w, "0.629,down/;prog.exe"),
                 lines({"Checking new version...", "A new release is available: prog v0.629.", ""}));
        QCOMPARE(no.texts,
                 QStringList{QStringLiteral("A new release is available.\nDo you want to download it?")});
        const QString offer = QStringLiteral("A new release is available: prog v0.629.");
        QCOMPARE(formatAt(*w, offer, 26).fontWeight(), int(QFont::Normal));  // ":"
        QCOMPARE(formatAt(*w, offer, 28).fontWeight(),
                 int(QFont::Bold));  // "prog v0.629"
        QCOMPARE(formatAt(*w, offer, 38).fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(*w, offer, 39).fontWeight(), int(QFont::Normal));  // "."
        QCOMPARE(server_.queryValue("chkver.php", QStringLiteral("ser")), QStringLiteral("QRN0042"));
        QCOMPARE(server_.queryValue("chkver.php", QStringLiteral("ver")), QStringLiteral("0.628"));
        QCOMPARE(server_.queryValue("chkver.php", QStringLiteral("cnt")), QStringLiteral("5"));

        QCOMPARE(check(*w, "0.628b,down/;prog.exe"),
                 lines({"Checking new version...", "Older version available only.", ""}));
        QCOMPARE(check(*w, "0.628,down/;prog.exe"),
                 lines({"Checking new version...", "You are using the latest version of prog.exe.", ""}));
        QCOMPARE(check(*w, ""), lines({"Checking new version...", "Version info not found.", ""}));
        QCOMPARE(no.texts.size(), 1);
    }

    void yesDownloadsIntoTheChosenFileAndACutDownloadLeavesNothing() {
        storeEarlierRun("QRN0042", 4);
        const QByteArray program = QByteArray("MZ") + QByteArray(300000, 'x');
        server_.answers["down/prog.exe"] = {200, program};
        auto w = startWindow();
        QVERIFY(w);
        BoxAnswerer yes(QMessageBox::Yes);
        const QString target = dir_.filePath(QStringLiteral("new-prog.exe"));
        {
            SaveDialogAnswerer save(target);
            // Folders in the server's file name are dropped before the dialog and the
            // request.
            QCOMPARE(check(*w, "0.629,down/;../../bin/prog.exe"),
                     QStringList({QStringLiteral("Checking new version..."),
                                  QStringLiteral("A new release is available: prog v0.629."),
                                  QStringLiteral("Downloading: ") + target,
                                  QStringLiteral("Download complete."), QString()}));
            QCOMPARE(save.titles, QStringList{QStringLiteral("Save prog v0.629 as")});
            QCOMPARE(save.presets, QStringList{QStringLiteral("prog.exe")});
        }
        QCOMPARE(server_.requests.last().target, QByteArray("down/prog.exe"));
        QFile got(target);
        QVERIFY(got.open(QIODevice::ReadOnly));
        QCOMPARE(got.readAll(), program);

        // Cut halfway: the error is shown, no file is left, and the window goes on.
        server_.answers["down/prog.exe"].cutHalfway = true;
        const QString second = dir_.filePath(QStringLiteral("second.exe"));
        {
            SaveDialogAnswerer save(second);
            const QStringList log = check(*w, "0.629,down/;prog.exe");
            QCOMPARE(log.last(), QStringLiteral("Downloading: ") + second);
        }
        QCOMPARE(yes.texts.size(), 3);  // two questions, one error
        QVERIFY(!QFile::exists(second));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("new-prog.exe")});
        QVERIFY(checkNew(*w)->isEnabled());

        // A cancelled save dialog downloads nothing.
        server_.requests.clear();
        SaveDialogAnswerer cancel{QString()};
        check(*w, "0.629,down/;prog.exe");
        QCOMPARE(server_.scripts(), QList<QByteArray>{"chkver.php"});
    }

    void aServerThatIsDownGivesANetworkErrorAndTheWindowGoesOn() {
        storeEarlierRun("QRN0042", 4);
        auto w = startWindow();
        QVERIFY(w);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        qputenv(kUpdateUrlVariable, QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()).toUtf8());
        closed.close();

        const QStringList log = check(*w, "unused");
        QCOMPARE(log.size(), 4);
        QVERIFY2(log[1].startsWith(QStringLiteral("Network error: ")) && log[1].size() > 15,
                 qPrintable(log[1]));
        QCOMPARE(formatAt(*w, log[1], 16).foreground().color(), QColor(255, 0, 0));
        QCOMPARE(log.mid(2), lines({"Version info not found.", ""}));

        QVERIFY(checkNew(*w)->isEnabled());
        child<QPushButton>(*w, "bClear")->click();
        QVERIFY(logText(*w).isEmpty());
    }
};

}  // namespace quarnel::guitest

QTEST_MAIN(quarnel::guitest::WindowVersion)
#include "window_version_test.moc"
