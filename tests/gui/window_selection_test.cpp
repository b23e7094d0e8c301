// Choosing the source and the streams in the real window: drops, the disc's folder rule,
// the buttons that follow the ticks, and the fast-check field.
#include <QSpinBox>

#include "fixtures/sample_streams.h"
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

    void otherFilesAreIgnoredWithoutAMessage() {
        const QString aob =
            writeSource(dir_.filePath(QStringLiteral("dvda/ATS_01_1.AOB")), twoStreams(Layout::Vob));
        const QString text = writeSource(dir_.filePath(QStringLiteral("notes.txt")), Bytes{'x'});
        auto w = startWindow();
        QVERIFY(w);
        BoxAnswerer boxes(QMessageBox::Ok);
        dropFiles(*w, {aob});
        dropFiles(*w, {text, aob});
        QTest::qWait(30);
        QVERIFY(child<QLineEdit>(*w, "eEVOfile")->text().isEmpty());
        QVERIFY(logText(*w).isEmpty());
        QVERIFY(boxes.texts.isEmpty());
    }

    void theDiscFoldersPointAtEachOther() {
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(!child<QPushButton>(*w, "bWriteChaps")->isEnabled());  // no chapters read yet
        child<QCheckBox>(*w, "cbAutoRead")->click();  // only the paths matter here
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
        QCOMPARE(QString::fromStdString(w->model().sourceDir), dir_.filePath(QStringLiteral("DISC3/HVDVD_TS/")));
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
