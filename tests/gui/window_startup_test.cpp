// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the real window: a file named on the command line, and the settings store
// read at start-up and written at close.
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "fixtures/sample_streams.h"
#include "formats/ocr/ocr_engine.h"
#include "runs/subtitle_outputs.h"
#include "window_harness.h"

namespace quarnel::guitest {

using namespace fixtures;

class WindowStartup : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString evo(const QString& name) {
        return writeSource(dir_.filePath(name),
                           buildProgramStream({mpeg2Video(0xE0, 30, 4000, 0x200000),
                                               audio(EsKind::Ac3, 0x80, 20, 1536, 0x200000, 1),
                                               subpicture(0x21, 2, 900, 0x200000, 2)},
                                              {}));
    }

  private slots:
    void initTestCase() { useTestSettings(dir_.filePath(QStringLiteral("settings"))); }
    void init() { clearStore(); }

    void aFileOnTheCommandLineIsReadAndItsStreamsTicked() {
        const QString file = evo(QStringLiteral("FEATURE_1.EVO"));
        auto w = startWindow({file});
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("FEATURE_1.EVO \u2014 Quarnel"));
        QCOMPARE(child<QLineEdit>(*w, "eEVOfile")->text(), file);
        QVERIFY(logLines(*w).contains(QStringLiteral("Opening file FEATURE_1.EVO")));
        QVERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        const std::pair<const char*, const char*> ticked[] = {
            {"cbVideo0", "MPEG-2.stream.0"}, {"cbAudio00", "DD.stream.00"}, {"cbSub01", "Subpicture.01"}};
        for (const auto& [name, caption] : ticked) {
            auto* box = child<QCheckBox>(*w, name);
            QVERIFY2(box->isChecked() && box->isEnabled(), name);
            QCOMPARE(box->text(), QLatin1String(caption));
        }
        auto* unused = child<QCheckBox>(*w, "cbAudio01");
        QVERIFY(!unused->isChecked() && !unused->isEnabled());
        QCOMPARE(unused->text(), QStringLiteral("No audio stream"));
        QVERIFY(child<QPushButton>(*w, "bDemux")->isEnabled());
        QVERIFY(child<QPushButton>(*w, "bRebuild")->isEnabled());
        QVERIFY(child<QPushButton>(*w, "bMakeMkv")->isEnabled());
        QVERIFY(!child<QPushButton>(*w, "bCheckNew")->isVisible());

        // The log pane shows the mark-up: the stream kind bold, the time stamp red.
        QTextDocument* doc = child<QTextEdit>(*w, "reMessage")->document();
        QTextCursor kind = doc->find(QStringLiteral("MPEG-2 video stream 0 found!"));
        QVERIFY(!kind.isNull());
        QTextCursor at(doc);
        at.setPosition(kind.selectionStart() + 1);
        QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
        at.setPosition(kind.selectionEnd());
        QCOMPARE(at.charFormat().fontWeight(), int(QFont::Normal));
        QTextCursor pts = doc->find(QStringLiteral("First PTS = "));
        QVERIFY(!pts.isNull());
        at.setPosition(pts.selectionEnd() + 1);
        QCOMPARE(at.charFormat().foreground().color(), QColor(255, 0, 0));
    }

    void aMissingFileOnTheCommandLineIsIgnored() {
        auto w = startWindow({dir_.filePath(QStringLiteral("absent.EVO"))});
        QVERIFY(w);
        QVERIFY(child<QLineEdit>(*w, "eEVOfile")->text().isEmpty());
        QVERIFY(logText(*w).isEmpty());
        QVERIFY(!child<QPushButton>(*w, "bReadEVO")->isEnabled());
        QCOMPARE(child<QCheckBox>(*w, "cbVideo0")->text(), QStringLiteral("No video stream"));
    }

    void theFirstRunKeepsTheDefaultsAndCloseWritesEveryValue() {
        {
            auto w = startWindow();
            QVERIFY(w);
            QCOMPARE(w->stored().counter, 1);
            QVERIFY(!store().contains(QLatin1String(settings::kCounter)));  // nothing read, nothing written
            QVERIFY(child<QCheckBox>(*w, "cbContinue")->isChecked());
            QVERIFY(child<QCheckBox>(*w, "cbFastCheck")->isChecked());
            QVERIFY(!child<QCheckBox>(*w, "cbAutoClear")->isChecked());
            QVERIFY(child<QRadioButton>(*w, "rbNoAuto")->isChecked());
            QCOMPARE(child<QSpinBox>(*w, "ieFastSize")->value(), 300);
            QCOMPARE(child<QLineEdit>(*w, "eAudioExt")->text(), QStringLiteral("mpa"));
            QCOMPARE(child<QLineEdit>(*w, "eVideoExt")->text(), QStringLiteral("mpv"));
            QCOMPARE(child<QLineEdit>(*w, "eSubExt")->text(), QStringLiteral("sup"));
            QVERIFY(w->close());
        }
        QSettings s{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
        for (const SettingName& v : kSettingsTable) {
            if (std::string(v.name) == settings::kSerial) continue;  // written only by the version check
            QVERIFY2(s.contains(QLatin1String(v.name)), v.name);
        }
        QCOMPARE(s.value(QLatin1String(settings::kCounter)).toInt(), 1);
        QCOMPARE(s.value(QLatin1String(settings::kVersion)).toString(), QStringLiteral("0.628"));
        QCOMPARE(s.value(QLatin1String(settings::kContinue)).toString(), QStringLiteral("1"));
        QCOMPARE(s.value(QLatin1String(settings::kAutoDemux)).toString(), QStringLiteral("0"));
        QCOMPARE(s.value(QLatin1String(settings::kFastSize)).toInt(), 300);
        bool isNumber = false;
        const double install = s.value(QLatin1String(settings::kInstall)).toDouble(&isNumber);
        QVERIFY(isNumber && install > 45000);  // days since 30 December 1899: after 2023
    }

    void theSecondRunCountsAndStoredOptionsApply() {
        {
            auto w = startWindow();
            QVERIFY(w);
            child<QRadioButton>(*w, "rbAutoDemux")->click();
            child<QCheckBox>(*w, "cbDetails")->click();
            child<QLineEdit>(*w, "eWorkdir")->setText(QStringLiteral("/tmp/out"));
            QVERIFY(w->close());
        }
        const QVariant install = store().value(QLatin1String(settings::kInstall));
        {
            auto w = startWindow();
            QVERIFY(w);
            QCOMPARE(w->stored().counter, 2);
            QCOMPARE(store().value(QLatin1String(settings::kCounter)).toInt(), 2);  // written at start-up
            QVERIFY(child<QRadioButton>(*w, "rbAutoDemux")->isChecked());
            QVERIFY(!child<QRadioButton>(*w, "rbNoAuto")->isChecked());
            QVERIFY(!child<QCheckBox>(*w, "cbDetails")->isChecked());
            QVERIFY(!w->model().options.details);
            QCOMPARE(w->model().options.autoProcess, AutoProcess::Demux);
            QCOMPARE(child<QLineEdit>(*w, "eWorkdir")->text(), QStringLiteral("/tmp/out"));
            QVERIFY(w->close());
        }
        QCOMPARE(store().value(QLatin1String(settings::kInstall)), install);  // written once
        QCOMPARE(store().value(QLatin1String(settings::kCounter)).toInt(), 2);
    }

    void aMaximisedWindowKeepsTheStoredBounds() {
        {
            QSettings s{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
            s.setValue(QLatin1String(settings::kWidth), 700);
            s.setValue(QLatin1String(settings::kHeight), 500);
            s.setValue(QLatin1String(settings::kTop), 40);
            s.setValue(QLatin1String(settings::kLeft), 30);
        }
        auto w = startWindow();
        QVERIFY(w);
        QCOMPARE(w->frameGeometry().width(), 700);  // the stored bounds are the outer ones
        QCOMPARE(w->frameGeometry().height(), 500);
        w->showMaximized();
        QTest::qWait(20);
        QVERIFY(w->close());
        QCOMPARE(store().value(QLatin1String(settings::kWindowState)).toInt(), 2);
        QCOMPARE(store().value(QLatin1String(settings::kWidth)).toInt(), 700);
        QCOMPARE(store().value(QLatin1String(settings::kTop)).toInt(), 40);
    }

    void theOuterBoundsSurviveRestartsAndComeBackOnScreen() {
        const auto storeBounds = [](int left, int top, int width, int height) {
            QSettings s{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
            s.setValue(QLatin1String(settings::kLeft), left);
            s.setValue(QLatin1String(settings::kTop), top);
            s.setValue(QLatin1String(settings::kWidth), width);
            s.setValue(QLatin1String(settings::kHeight), height);
        };
        const auto restart = [] {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(w->frameGeometry() != w->geometry());  // the window has a frame around it
            QVERIFY(w->close());
        };
        storeBounds(30, 60, 700, 450);
        for (int k = 0; k < 3; ++k) restart();
        QCOMPARE(store().value(QLatin1String(settings::kLeft)).toInt(), 30);
        QCOMPARE(store().value(QLatin1String(settings::kTop)).toInt(), 60);
        QCOMPARE(store().value(QLatin1String(settings::kWidth)).toInt(), 700);
        QCOMPARE(store().value(QLatin1String(settings::kHeight)).toInt(), 450);

        // Bounds left on a screen that is gone, or larger than the one there is, come back whole.
        storeBounds(5000, -300, 3000, 500);
        auto w = startWindow();
        QVERIFY(w);
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(screen.contains(w->frameGeometry()), "the window lies wholly on the screen");
        QCOMPARE(w->frameGeometry().height(), 500);
    }

    // Maximise, restart (the window opens maximised), un-maximise: five times over, the normal
    // window keeps the size it had (under a real window manager too: geometry_under_openbox.sh).
    void unMaximisingAfterARestartKeepsTheSize() {
        QSize normal;
        for (const bool maximise : {false, true}) {  // the bounds stored, then a close maximised
            auto w = startWindow();
            QVERIFY(w);
            QTest::qWait(200);
            normal = w->frameGeometry().size();
            if (maximise) w->showMaximized();
            QTest::qWait(200);
            QVERIFY(w->close());
        }
        for (int k = 0; k < 5; ++k) {
            auto w = startWindow();
            QVERIFY(w);
            QTRY_VERIFY_WITH_TIMEOUT(w->isMaximized(), 2000);
            w->showNormal();
            QTRY_VERIFY_WITH_TIMEOUT(!w->isMaximized(), 2000);
            QTest::qWait(300);
            QCOMPARE(w->frameGeometry().size(), normal);
            w->showMaximized();
            QTest::qWait(200);
            QVERIFY(w->close());
        }
    }

    // On a small screen at twice the scale (1024x768 at 2x: geometry_under_openbox.sh) the
    // window fits, and the buttons above and below the pages stay within it.
    void theWindowFitsTheScreenWithItsButtonsInView() {
        auto w = startWindow();
        QVERIFY(w);
        QTest::qWait(300);
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(screen.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                                                     .arg(w->frameGeometry().width())
                                                                     .arg(w->frameGeometry().height())
                                                                     .arg(screen.width())
                                                                     .arg(screen.height())));
        for (const char* name : {"bDemux", "bCancel", "bMakeMkv", "bClear"}) {
            const QWidget* button = child<QWidget>(*w, name);
            const QRect at(button->mapTo(w.get(), QPoint(0, 0)), button->size());
            QVERIFY2(w->rect().contains(at), name);
        }
    }

    void theTreeKeepsItsWidthUntilTheUserDragsIt() {
        store().setValue(QLatin1String(settings::kTreeWidth), 96);
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(w->close());
        }
        QCOMPARE(store().value(QLatin1String(settings::kTreeWidth)).toInt(), 96);
        auto w = startWindow();
        QVERIFY(w);
        child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Xpl));
        auto* tree = child<QWidget>(*w, "tvXPL");
        QTRY_COMPARE(tree->width(), 96);
        w->resize(w->width() + 60, w->height());
        QTRY_COMPARE(tree->width(), 96);
        auto* splitter = qobject_cast<QSplitter*>(tree->parentWidget());
        QSplitterHandle* handle = splitter->handle(1);
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(1, 10));
        QTest::mouseMove(handle, QPoint(41, 10));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(41, 10));
        QTRY_COMPARE(tree->width(), 136);
        QVERIFY(w->close());
        QCOMPARE(store().value(QLatin1String(settings::kTreeWidth)).toInt(), 136);
    }

    void theSubtitleFormatsAreKeptAndOneStaysTicked() {
        {
            auto w = startWindow();
            QVERIFY(w);
            child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Subpicture));
            child<QCheckBox>(*w, "cbSubPGS")->click();
            child<QCheckBox>(*w, "cbSubBDN")->click();
            QCOMPARE(subtitleFormatList(w->model().options.subtitles), std::string("sup,pgs,bdn"));
            QVERIFY(w->close());
        }
        QCOMPARE(store().value(QLatin1String(settings::kSubFormats)).toString(),
                 QStringLiteral("sup,pgs,bdn"));
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(child<QCheckBox>(*w, "cbSubBDN")->isChecked());
        QVERIFY(!child<QCheckBox>(*w, "cbSubVobSub")->isChecked());
        child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Subpicture));
        for (const char* name : {"cbSubSup", "cbSubPGS", "cbSubBDN"}) child<QCheckBox>(*w, name)->click();
        QVERIFY(child<QCheckBox>(*w, "cbSubBDN")->isChecked());  // the last one cannot be unticked
        QCOMPARE(subtitleFormatList(w->model().options.subtitles), std::string("bdn"));

        // SRT and its language, offered only when this build recognises text.
        QCOMPARE(child<QCheckBox>(*w, "cbSubSRT")->isEnabled(), ocrAvailable());
        if (!ocrAvailable()) return;
        child<QCheckBox>(*w, "cbSubSRT")->click();
        child<QLineEdit>(*w, "eOcrLang")->setText(QStringLiteral("fra"));
        QCOMPARE(subtitleFormatList(w->model().options.subtitles), std::string("bdn,srt"));
        QVERIFY(w->close());
        w = startWindow();
        QVERIFY(w);
        QVERIFY(child<QCheckBox>(*w, "cbSubSRT")->isChecked());
        QCOMPARE(w->model().options.ocrLanguage, std::string("fra"));
    }

    void theWindowHasItsIconAndReopensOnItsPage() {
        {
            auto w = startWindow();
            QVERIFY(w);
            QVERIFY(!w->windowIcon().isNull());
            child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Options));
            QVERIFY(w->close());
        }
        auto w = startWindow();
        QVERIFY(w);
        QCOMPARE(child<QTabWidget>(*w, "PageControl")->currentIndex(), int(Page::Options));
    }

    void thePlaylistFieldStartsWithThePlaylistName() {
        auto w = startWindow();
        QVERIFY(w);
        QCOMPARE(child<QLineEdit>(*w, "eXPLfile")->text(), QStringLiteral("VPLST000.XPL"));
        QVERIFY(!child<QPushButton>(*w, "bReadXPL")->isEnabled());  // no folder to read it from
    }

    void aValueOfTheWrongKindStopsReadingAndIsShown() {
        {
            QSettings s{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
            s.setValue(QLatin1String(settings::kDetails), 0);  // read before the bad value
            s.setValue(QLatin1String(settings::kAutoRead), QStringLiteral("yes"));
            s.setValue(QLatin1String(settings::kAutoDemux), 1);  // read after it: not taken
            s.setValue(QLatin1String(settings::kCounter), 7);
        }
        BoxAnswerer boxes(QMessageBox::Ok);
        auto w = startWindow();
        QVERIFY(w);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(QLatin1String("AutoRead")));
        QCOMPARE(boxes.titles[0], QStringLiteral("Quarnel"));
        QVERIFY(!child<QCheckBox>(*w, "cbDetails")->isChecked());
        QVERIFY(child<QCheckBox>(*w, "cbAutoRead")->isChecked());
        QVERIFY(child<QRadioButton>(*w, "rbNoAuto")->isChecked());
        QCOMPARE(store().value(QLatin1String(settings::kCounter)).toInt(), 7);
        QVERIFY(child<QPushButton>(*w, "bbEVO")->isEnabled());  // the window stays usable
    }
};

}  // namespace quarnel::guitest

QTEST_MAIN(quarnel::guitest::WindowStartup)
#include "window_startup_test.moc"
