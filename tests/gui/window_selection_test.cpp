// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the source and the streams in the real window: drops, the disc's folder rule,
// the buttons that follow the ticks, and the fast-check field.
#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "fixtures/sample_streams.h"
#include "gui/log_colours.h"
#include "gui/log_pane.h"
#include "gui/status_line.h"
#include "window_harness.h"

namespace quarnel::guitest {

using namespace fixtures;

class WindowSelection : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    static Bytes twoStreams(Layout layout) {
        MuxOptions o;
        o.layout = layout;
        return buildProgramStream(
            {mpeg2Video(0xE0, 12, 3000, 0x200000), audio(EsKind::Ac3, 0x80, 10, 1536, 0x200000, 1)}, o);
    }

  private slots:
    void initTestCase() { useTestSettings(dir_.filePath(QStringLiteral("settings"))); }
    void init() { clearStore(); }

    void onlyTheFirstDroppedFileIsReadAndCaseDoesNotMatter() {
        const QString first =
            writeSource(dir_.filePath(QStringLiteral("drop/movie.evo")), twoStreams(Layout::Evo));
        const QString second =
            writeSource(dir_.filePath(QStringLiteral("drop/SECOND.EVO")), twoStreams(Layout::Evo));
        const QString third =
            writeSource(dir_.filePath(QStringLiteral("drop/THIRD.VOB")), twoStreams(Layout::Vob));
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(dropFiles(*w, {first, second, third}));
        QCOMPARE(child<QLineEdit>(*w, "eEVOfile")->text(), first);
        const QStringList lines = logLines(*w);
        QCOMPARE(lines.count(QStringLiteral("Opening file movie.evo")), 1);
        QVERIFY(!logText(*w).contains(QLatin1String("SECOND")));
        QVERIFY(!logText(*w).contains(QLatin1String("THIRD")));
        QVERIFY(lines.contains(QStringLiteral("Done.")));
        QVERIFY(child<QCheckBox>(*w, "cbAudio00")->isChecked());
    }

    void unsupportedDropsAreRefusedAndAnAobIsRead() {
        const QString aob =
            writeSource(dir_.filePath(QStringLiteral("dvda/ATS_01_1.AOB")), twoStreams(Layout::Vob));
        const QString text = writeSource(dir_.filePath(QStringLiteral("notes.txt")), Bytes{'x'});
        auto w = startWindow();
        QVERIFY(w);
        BoxAnswerer boxes(QMessageBox::Ok);
        // Refused while dragged over the window (the no-drop cursor): the first file decides.
        QVERIFY(!dropFiles(*w, {text}));
        QVERIFY(!dropFiles(*w, {text, aob}));
        QTest::qWait(30);
        QVERIFY(child<QLineEdit>(*w, "eEVOfile")->text().isEmpty());
        QVERIFY(logText(*w).isEmpty());
        QVERIFY(boxes.texts.isEmpty());

        QVERIFY(dropFiles(*w, {aob}));
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        QVERIFY(logLines(*w).contains(QStringLiteral("Opening file ATS_01_1.AOB")));
        QVERIFY(child<QCheckBox>(*w, "cbAudio00")->isChecked());
        QVERIFY(!child<QPushButton>(*w, "bRebuild")->isEnabled());  // Rebuild is for EVO files only
    }

    void enterPressesTheFocusedButtonAndRunsNothingInAField() {
        const QString file =
            writeSource(dir_.filePath(QStringLiteral("keys/A.EVO")), twoStreams(Layout::Evo));
        auto w = startWindow({file});
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* pages = child<QTabWidget>(*w, "PageControl");
        const auto readsCounted = [&] {
            return int(logLines(*w).count(QStringLiteral("Opening file A.EVO")));
        };
        QCOMPARE(readsCounted(), 1);

        // In a field Enter is the field's own: no Read, no page change, the log kept.
        pages->setCurrentIndex(int(Page::Options));
        auto* workdir = child<QLineEdit>(*w, "eWorkdir");
        workdir->setFocus();
        QTest::keyClick(workdir, Qt::Key_Return);
        QCOMPARE(pages->currentIndex(), int(Page::Options));
        QCOMPARE(readsCounted(), 1);
        QVERIFY(!child<QPushButton>(*w, "bReadEVO")->isDefault());

        // A focused button takes Enter: "Clear" clears, nothing is read.
        pages->setCurrentIndex(int(Page::Status));
        auto* clear = child<QPushButton>(*w, "bClear");
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key_Return);
        QVERIFY(logText(*w).isEmpty());

        // Elsewhere (a stream box) Enter presses "Read EVO".
        pages->setCurrentIndex(int(Page::VideoAudio));
        auto* box = child<QCheckBox>(*w, "cbVideo0");
        box->setFocus();
        QVERIFY(child<QPushButton>(*w, "bReadEVO")->isDefault());
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_COMPARE(readsCounted(), 1);
    }

    void theMenuAndTheKeysWorkFromAnywhere() {
        const QString file =
            writeSource(dir_.filePath(QStringLiteral("menu/A.EVO")), twoStreams(Layout::Evo));
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const auto action = [&](const QString& text) {
            for (QAction* a : w->menuBar()->findChildren<QAction*>())
                if (a->text() == text) return a;
            return static_cast<QAction*>(nullptr);
        };
        QVERIFY(action(QStringLiteral("&Read")) && !action(QStringLiteral("&Read"))->isEnabled());
        QVERIFY(!action(QStringLiteral("&Cancel"))->isEnabled());
        QVERIFY(dropFiles(*w, {file}));  // "Auto read" is on
        QTRY_VERIFY(action(QStringLiteral("&Demux"))->isEnabled());

        auto* field = child<QLineEdit>(*w, "eEVOfile");
        QCOMPARE(field->nextInFocusChain(), child<QPushButton>(*w, "bbEVO"));
        QCOMPARE(field->nextInFocusChain()->nextInFocusChain(), child<QPushButton>(*w, "bReadEVO"));
        QCOMPARE(child<QPushButton>(*w, "bReadEVO")->nextInFocusChain(), child<QLineEdit>(*w, "eXPLfile"));

        child<QPushButton>(*w, "bClear")->click();
        field->setFocus();
        auto* pages = child<QTabWidget>(*w, "PageControl");
        QTest::keyClick(field, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), int(Page::VideoAudio));
        QTest::keyClick(field, Qt::Key_F5);
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Opening file A.EVO")));
        QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w->isVisible());
    }

    void theDiscFoldersPointAtEachOther() {
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(!child<QPushButton>(*w, "bWriteChaps")->isEnabled());  // no chapters read yet
        child<QCheckBox>(*w, "cbAutoRead")->click();                   // only the paths matter here
        QVERIFY(!w->model().options.autoRead);
        const QString disc = dir_.filePath(QStringLiteral("DISC"));
        const QString evo =
            writeSource(disc + QStringLiteral("/HVDVD_TS/FEATURE_1.EVO"), twoStreams(Layout::Evo));
        QVERIFY(dropFiles(*w, {evo}));
        QCOMPARE(child<QLineEdit>(*w, "eXPLfile")->text(), disc + QStringLiteral("/ADV_OBJ/VPLST000.XPL"));
        QVERIFY(child<QPushButton>(*w, "bReadEVO")->isEnabled());
        QVERIFY(child<QPushButton>(*w, "bReadXPL")->isEnabled());
        QCOMPARE(w->model().baseName, std::string("FEATURE_1"));

        // A folder of another name (case counts) leaves the playlist field with the name alone.
        const QString lower = writeSource(dir_.filePath(QStringLiteral("disc2/hvdvd_ts/FEATURE_1.EVO")),
                                          twoStreams(Layout::Evo));
        QVERIFY(dropFiles(*w, {lower}));
        QCOMPARE(child<QLineEdit>(*w, "eXPLfile")->text(), QStringLiteral("VPLST000.XPL"));

        // A dropped playlist moves the EVO folder to the disc's HVDVD_TS.
        const QString xpl =
            writeSource(dir_.filePath(QStringLiteral("DISC3/ADV_OBJ/VPLST000.XPL")), Bytes{'<'});
        QVERIFY(dropFiles(*w, {xpl}));
        QCOMPARE(child<QLineEdit>(*w, "eXPLfile")->text(), xpl);
        QCOMPARE(QString::fromStdString(w->model().sourceDir),
                 dir_.filePath(QStringLiteral("DISC3/HVDVD_TS/")));
    }

    void tickingABoxEnablesDemuxAndRebuildOnlyForAnEvo() {
        for (const auto& [name, layout, rebuild] : {std::tuple{"ticks/A.EVO", Layout::Evo, true},
                                                    std::tuple{"ticks/VTS_01_1.VOB", Layout::Vob, false}}) {
            const QString file = writeSource(dir_.filePath(QLatin1String(name)), twoStreams(layout));
            auto w = startWindow({file});
            QVERIFY(w);
            auto* video = child<QCheckBox>(*w, "cbVideo0");
            auto* sound = child<QCheckBox>(*w, "cbAudio00");
            auto* demux = child<QPushButton>(*w, "bDemux");
            auto* rebuildButton = child<QPushButton>(*w, "bRebuild");
            video->click();
            sound->click();
            QVERIFY(!demux->isEnabled());
            QVERIFY(!rebuildButton->isEnabled());
            sound->click();
            QVERIFY(sound->isChecked());
            QVERIFY(w->model().boxes.audio[0].ticked);
            QVERIFY(demux->isEnabled());
            QCOMPARE(rebuildButton->isEnabled(), rebuild);
        }
    }

    // On a light pane the log keeps its blue and red; on a dark one every coloured role (value,
    // time, warning, error) reads at 4.5:1 at least, and an error is bold where a time is not.
    void theLogsColoursFollowThePalette() {
        const LogLine line = parseMarkup("[b]Video[/b] [bl]1920[/bl] [re]00:00:01[/re] [er]Failed[/er]");
        for (const QColor& base : {QColor(Qt::white), QColor(0x1E, 0x1E, 0x1E), QColor(0x2B, 0x2B, 0x4A)}) {
            QTextEdit pane;
            QPalette palette = pane.palette();
            palette.setColor(QPalette::Base, base);
            palette.setColor(QPalette::Text, base.lightnessF() < 0.5 ? Qt::white : Qt::black);
            pane.setPalette(palette);
            appendStyledLine(pane, line);
            QTextCursor at(pane.document());
            const auto formatOf = [&](const char* word) {
                at = pane.document()->find(QLatin1String(word));
                return at.charFormat();
            };
            const QColor value = formatOf("1920").foreground().color();
            const QColor time = formatOf("00:00:01").foreground().color();
            const QTextCharFormat error = formatOf("Failed");
            QVERIFY(error.fontWeight() == QFont::Bold && formatOf("00:00:01").fontWeight() != QFont::Bold);
            if (base == Qt::white) {
                QCOMPARE(value, QColor(0x00, 0x00, 0xFF));
                QCOMPARE(time, QColor(0xFF, 0x00, 0x00));
                continue;
            }
            for (const QColor& c : {value, time, error.foreground().color()}) {
                QVERIFY2(contrastRatio(c, base) >= 4.5,
                         qPrintable(c.name() + QStringLiteral(" on ") + base.name()));
                QVERIFY(c != Qt::white);  // a tint of its hue, not plain white
            }
            QVERIFY(value.hsvHue() > 200 && value.hsvHue() < 260);
        }
    }

    // However long the detail a run shows, the progress bar keeps its place in the status line.
    void theProgressBarStaysInViewBesideALongStatus() {
        QMainWindow w;
        auto* line = new StatusLine(&w);
        w.setStatusBar(line);
        w.resize(661, 375);
        w.show();
        line->setPanel(0, QStringLiteral(" Rebuilding FEATURE_1.EVO"));
        line->setPanel(1, QStringLiteral(" Remaining time: 0:00:07, ") + QString(200, QLatin1Char('x')));
        line->setProgress(1, 2);
        QCoreApplication::processEvents();
        auto* bar = line->findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
        QVERIFY(bar->isVisible());
        QVERIFY(bar->width() > 0 && bar->geometry().right() <= line->width());
    }

    void untickingFastCheckDisablesItsSize() {
        auto w = startWindow();
        QVERIFY(w);
        auto* fast = child<QCheckBox>(*w, "cbFastCheck");
        auto* size = child<QSpinBox>(*w, "ieFastSize");
        QVERIFY(size->isEnabled());
        fast->click();
        QVERIFY(!size->isEnabled());
        QVERIFY(!w->model().options.fastCheck);
        fast->click();
        QVERIFY(size->isEnabled());
        size->setValue(12);
        QCOMPARE(w->model().options.fastCheckMiB, 12);
    }
};

}  // namespace quarnel::guitest

QTEST_MAIN(quarnel::guitest::WindowSelection)
#include "window_selection_test.moc"
