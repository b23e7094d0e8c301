// SPDX-License-Identifier: GPL-3.0-or-later
// Runs started from the real window: cancelling a Demux, an error box after a failed Read,
// and the VTI page after a Read beside a title set information file.
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "fixtures/build_paths.h"
#include "fixtures/sample_streams.h"
#include "gui/status_line.h"
#include "io/pending_outputs.h"
#include "window_harness.h"

namespace quarnel::guitest {

using namespace fixtures;

namespace {

void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, uint16_t(v >> 16));
    put16(b, at + 2, uint16_t(v));
}

struct VtiAttr {
    uint32_t mainVideo;
    std::vector<std::array<uint8_t, 3>> mainAudio;
    int subpictures;
};

// A title set information file: header sector, attribute table, information table.
Bytes vtiFile(const std::vector<VtiAttr>& attrs, const std::vector<std::pair<std::string, uint32_t>>& evobs) {
    constexpr size_t kSector = 2048, kAttrAt = kSector, kFirstRecord = 16;
    const size_t infoSector = (kAttrAt + kFirstRecord + attrs.size() * 1024 + kSector - 1) / kSector;
    Bytes b(infoSector * kSector + 8 + evobs.size() * (4 + 320), 0);
    const std::string id = "ADVANCED-VTS";
    std::copy(id.begin(), id.end(), b.begin());
    put32(b, 0xB8, 1);
    put32(b, 0xBC, uint32_t(infoSector));
    put16(b, kAttrAt, uint16_t(attrs.size()));
    put32(b, kAttrAt + 8, kFirstRecord);
    for (size_t i = 0; i < attrs.size(); ++i) {
        const size_t r = kAttrAt + kFirstRecord + i * 1024;
        put32(b, r + 0x002, attrs[i].mainVideo);
        put16(b, r + 0x00E, uint16_t(attrs[i].mainAudio.size()));
        for (size_t k = 0; k < attrs[i].mainAudio.size(); ++k)
            for (size_t j = 0; j < 3; ++j) b[r + 0x010 + 4 * k + j] = attrs[i].mainAudio[k][j];
        put16(b, r + 0x0E4, uint16_t(attrs[i].subpictures));
        for (int k = 0; k < attrs[i].subpictures; ++k) b[r + 0x0E6 + 5 * size_t(k)] = 0x80;  // 8 bit RLE
    }
    const size_t info = infoSector * kSector;
    put32(b, info, uint32_t(evobs.size()));
    for (size_t j = 0; j < evobs.size(); ++j) {
        const size_t r = info + 8 + evobs.size() * 4 + j * 320;
        put16(b, r, 0x1000);  // Standard VTS
        std::copy(evobs[j].first.begin(), evobs[j].first.end(), b.begin() + long(r + 2));
        put32(b, r + 0x102, 0x00ABCDEF);
        put32(b, r + 0x106, evobs[j].second);
        put32(b, r + 0x10A, 0x1000);
        put32(b, r + 0x10E, 0x2000);
        put32(b, r + 0x112, 777);
        put16(b, r + 0x116, uint16_t(j + 1));
    }
    return b;
}

constexpr uint32_t kVc1Progressive1080 = 3u << 29 | 3u << 24 | 1u << 20 | 12u << 12;
constexpr uint32_t kMpeg2Interlaced576 = 1u << 29 | 1u << 26 | 0u << 24 | 0u << 20 | 5u << 12;

QString cell(MainWindow& w, const char* grid, int row, int column) {
    const QTableWidgetItem* item = child<QTableWidget>(w, grid)->item(row, column);
    return item ? item->text() : QString();
}

// What mkvmerge -J says of each track of an MKV (codec, name, language, default, forced), and
// the number of its chapters.
QStringList tracksOf(const QString& mkv) {
    QProcess probe;
    probe.start(QStringLiteral("mkvmerge"), {QStringLiteral("-J"), mkv});
    probe.waitForFinished(30000);
    const QJsonObject report = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
    QStringList tracks;
    for (const QJsonValue& t : report[QStringLiteral("tracks")].toArray()) {
        const QJsonObject p = t[QStringLiteral("properties")].toObject();
        tracks << QStringList{t[QStringLiteral("codec")].toString(),
                              p[QStringLiteral("track_name")].toString(),
                              p[QStringLiteral("language_ietf")].toString(),
                              p[QStringLiteral("default_track")].toBool() ? QStringLiteral("default")
                                                                          : QString(),
                              p[QStringLiteral("forced_track")].toBool() ? QStringLiteral("forced")
                                                                         : QString()}
                      .join(QLatin1Char('|'));
    }
    tracks << QString::number(report[QStringLiteral("chapters")].toArray().size());
    return tracks;
}

// quarnel-cli mkv of `source` into `out` with `options`, as mkvmerge -J reads its MKV.
QStringList cliTracks(const QString& source, const QString& out, QStringList options,
                      const QString& mkv = QStringLiteral("FEATURE_1_MERGED.mkv")) {
    QProcess cli;
    cli.start(QString::fromUtf8(QUARNEL_CLI),
              QStringList{QStringLiteral("mkv"), QStringLiteral("-q"), QStringLiteral("-o"), out} + options +
                  QStringList{source});
    cli.waitForFinished(60000);
    return tracksOf(out + QLatin1Char('/') + mkv);
}

}  // namespace

class WindowRuns : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

  private slots:
    void initTestCase() { useTestSettings(dir_.filePath(QStringLiteral("settings"))); }
    void init() { clearStore(); }

    // Continue changes nothing; Stop and keep leaves what was written as .partial files, Stop
    // and remove leaves nothing; no truncated file takes a final name, and no "Done." follows.
    void cancellingADemuxOrRebuildAsksAndNeverLeavesATruncatedFile() {
        // Larger than two progress steps of 4 MiB, so that the window serves events mid-run.
        const QString file = writeSource(
            dir_.filePath(QStringLiteral("big/FEATURE_1.EVO")),
            buildProgramStream(
                {mpeg2Video(0xE0, 300, 32000, 0x200000), audio(EsKind::Ac3, 0x80, 200, 1536, 0x200000, 1)},
                {}));
        auto w = startWindow({file});
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.filePath(QStringLiteral("big")));
        auto* demux = child<QPushButton>(*w, "bDemux");
        QVERIFY(demux->isEnabled());
        child<QPushButton>(*w, "bClear")->click();

        int pumps = 0;
        bool refusedDrop = false, readDisabled = false;
        QStringList questions;
        QStringList defaults;
        // Served at the run's first progress point, as a user's clicks would be.
        QTimer::singleShot(0, w.get(), [&] {
            ++pumps;
            readDisabled = !child<QPushButton>(*w, "bReadEVO")->isEnabled() &&
                           !child<QPushButton>(*w, "bbEVO")->isEnabled();
            refusedDrop = !dropFiles(*w, {file});
            {
                BoxAnswerer goOn(QStringLiteral("Continue"));
                child<QPushButton>(*w, "bCancel")->click();
                questions += goOn.texts;
                defaults += goOn.defaultTexts;
            }
            QVERIFY(!w->model().run.cancel);  // "Continue" changes nothing
            BoxAnswerer keep(QStringLiteral("Stop and keep"));
            child<QPushButton>(*w, "bCancel")->click();
            questions += keep.texts;
        });
        demux->click();
        QCOMPARE(pumps, 1);
        QVERIFY(readDisabled);
        QVERIFY(refusedDrop);
        QCOMPARE(
            questions,
            QStringList(
                2, QStringLiteral("Stop the Demux? What was written so far can be kept as .partial files.")));
        QCOMPARE(defaults.value(0), QStringLiteral("Continue"));
        const QStringList lines = logLines(*w);
        const qsizetype cancelled = lines.indexOf(QStringLiteral("Cancelled."));
        QVERIFY(cancelled > 0);
        QCOMPARE(lines.count(QStringLiteral("Cancelled.")), 1);
        QVERIFY(!lines.contains(QStringLiteral("Done.")));
        QVERIFY(!w->model().runActive);
        QVERIFY(demux->isEnabled());
        QVERIFY(child<QPushButton>(*w, "bReadEVO")->isEnabled());
        QVERIFY(!child<QPushButton>(*w, "bCancel")->isEnabled());
        const QString video = dir_.filePath(QStringLiteral("big/FEATURE_1.MPEG-2.stream.0.mpv"));
        QVERIFY(!QFileInfo::exists(video));
        const qint64 written = QFileInfo(video + QStringLiteral(".partial")).size();
        QVERIFY(written > 0 && written < 300 * 32000);  // stopped part way, kept what it wrote
        QVERIFY(
            lines.contains(QStringLiteral("Kept what was written as ") + video + QStringLiteral(".partial")));

        // A Rebuild stopped with "remove" leaves no file at all.
        questions.clear();
        QTimer::singleShot(0, w.get(), [&] {
            BoxAnswerer remove(QStringLiteral("Stop and remove"));
            child<QPushButton>(*w, "bCancel")->click();
            questions += remove.texts;
        });
        child<QPushButton>(*w, "bRebuild")->click();
        QCOMPARE(
            questions,
            QStringList(1, QStringLiteral(
                               "Stop the Rebuild? What was written so far can be kept as .partial files.")));
        const QStringList left =
            QDir(dir_.filePath(QStringLiteral("big"))).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(left, QStringList({QStringLiteral("FEATURE_1.DD.stream.00.mpa.partial"),
                                    QStringLiteral("FEATURE_1.EVO"),
                                    QStringLiteral("FEATURE_1.MPEG-2.stream.0.mpv.partial")}));
    }

    // With "Ask before replacing outputs" on, a second Demux into the same folder asks: "Keep
    // both" writes NAME (2).EXT beside the first outputs, "Cancel" writes nothing; off, it replaces.
    void askingBeforeReplacingKeepsBothOrWritesNothing() {
        const QString file = writeSource(
            dir_.filePath(QStringLiteral("again/FEATURE_1.EVO")),
            buildProgramStream({mpeg2Video(0xE0, 20, 2000, 90000), subpicture(0x21, 2, 900, 90000, 2)}, {}));
        auto w = startWindow({file});
        QVERIFY(w);
        QVERIFY(child<QLineEdit>(*w, "eWorkdir")->placeholderText().endsWith(QDir::currentPath()));
        const QString out = dir_.filePath(QStringLiteral("again/out"));  // made by the first run
        child<QLineEdit>(*w, "eWorkdir")->setText(out);
        child<QPushButton>(*w, "bDemux")->click();
        QVERIFY(logLines(*w).contains(QStringLiteral("Output folder: ") + QDir::cleanPath(out)));
        const QDir folder(out);
        const QStringList first = folder.entryList(QDir::Files, QDir::Name);
        QCOMPARE(first.size(), 2);
        QVERIFY(!child<QPushButton>(*w, "bOpenFolder")->isHidden());  // the outputs' folder, one click away
        child<QCheckBox>(*w, "cbAskReplace")->click();
        {
            const BoxAnswerer answer(QStringLiteral("Keep both"));
            child<QPushButton>(*w, "bDemux")->click();
            QCOMPARE(answer.texts.size(), 1);
            QVERIFY(answer.texts[0].contains(QStringLiteral("1 more already there")));
        }
        QStringList both = first;
        for (const QString& name : first) both << QString::fromStdString(numberedName(name.toStdString(), 2));
        both.sort();
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), both);
        {
            const BoxAnswerer answer(QStringLiteral("Cancel"));
            child<QPushButton>(*w, "bDemux")->click();
        }
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), both);
        QVERIFY(
            logLines(*w).contains(QStringLiteral("Nothing written: the outputs already there are kept.")));
    }

    void aDemuxShowsItsProgressAndWritesTheTickedSubtitleFormats() {
        const QString file = writeSource(
            dir_.filePath(QStringLiteral("progress/FEATURE_1.EVO")),
            buildProgramStream(
                {mpeg2Video(0xE0, 300, 32000, 0x200000), subpicture(0x21, 2, 900, 0x200000, 2)}, {}));
        const qint64 size = QFileInfo(file).size();
        auto w = startWindow({file});
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.filePath(QStringLiteral("progress")));
        child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Subpicture));
        child<QCheckBox>(*w, "cbSubPGS")->click();
        auto* bar = child<QProgressBar>(*w, "ProgressBar");
        QVERIFY(!bar->isVisible());
        QList<int> values;
        bool busy = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (bar->isVisible()) values << bar->value();
            busy = busy || child<QTextEdit>(*w, "reMessage")->viewport()->cursor().shape() == Qt::BusyCursor;
        });
        poll.start(0);
        child<QPushButton>(*w, "bDemux")->click();
        poll.stop();
        // One value per 4 MiB read, in tenths of a percent of the file.
        QCOMPARE(bar->maximum(), 1000);
        QCOMPARE(values.value(0), int(4LL * 1048576 * 1000 / size));
        QCOMPARE(values.last(), int(8LL * 1048576 * 1000 / size));
        QVERIFY(busy);
        QVERIFY(!bar->isVisible());  // gone once the run has ended
        QVERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        const QString base = dir_.filePath(QStringLiteral("progress/FEATURE_1.Subpicture.01"));
        QVERIFY(QFileInfo::exists(base + QStringLiteral(".sup")));
        QVERIFY(QFileInfo::exists(base + QStringLiteral(".pgs.sup")));
    }

    void aFailedReadShowsTheErrorAndLeavesTheWindowUsable() {
        const QString file = writeSource(dir_.filePath(QStringLiteral("gone/A.EVO")),
                                         buildProgramStream({mpeg2Video(0xE0, 5, 3000, 0x200000)}, {}));
        auto w = startWindow();
        QVERIFY(w);
        child<QCheckBox>(*w, "cbAutoRead")->click();
        QVERIFY(dropFiles(*w, {file}));
        QVERIFY(QFile::remove(file));
        BoxAnswerer ok(QMessageBox::Ok);
        child<QPushButton>(*w, "bReadEVO")->click();
        QCOMPARE(ok.texts.size(), 1);
        QCOMPARE(ok.titles[0], QStringLiteral("Quarnel"));
        QVERIFY(ok.texts[0].startsWith(QStringLiteral("Cannot open file \"") + file + QStringLiteral("\".")));
        for (const char* name : {"bReadEVO", "bbEVO", "bbXPL"})
            QVERIFY2(child<QPushButton>(*w, name)->isEnabled(), name);
    }

    void aFailedReadClearsThePagesOfTheFileReadBefore() {
        const QString folder = dir_.filePath(QStringLiteral("OLD/HVDVD_TS/"));
        const QString evo = writeSource(folder + QStringLiteral("FEATURE_1.EVO"),
                                        buildProgramStream({mpeg2Video(0xE0, 5, 3000, 0x200000)}, {}));
        writeSource(folder + QStringLiteral("HVA00001.VTI"),
                    vtiFile({{kMpeg2Interlaced576, {{0x1C, 0x00, 0x14}}, 0}}, {{"FEATURE_1.EVO", 1}}));
        const QString playlist =
            QString::fromUtf8(QUARNEL_SOURCE_DIR) + QStringLiteral("/sample/ADV_OBJ/VPLST000.XPL");
        const QString next = writeSource(dir_.filePath(QStringLiteral("NEW/B.EVO")),
                                         buildProgramStream({mpeg2Video(0xE0, 5, 3000, 0x200000)}, {}));
        auto w = startWindow({evo});
        QVERIFY(w);
        QVERIFY(dropFiles(*w, {playlist}));
        QCOMPARE(child<QComboBox>(*w, "cbEVOname")->count(), 1);
        QVERIFY(child<QTreeWidget>(*w, "tvXPL")->topLevelItemCount() > 0);
        QVERIFY(child<QPushButton>(*w, "bWriteChaps")->isEnabled());

        child<QCheckBox>(*w, "cbAutoRead")->click();
        QVERIFY(dropFiles(*w, {next}));
        QVERIFY(QFile::remove(next));
        BoxAnswerer ok(QMessageBox::Ok);
        child<QPushButton>(*w, "bReadEVO")->click();
        QCOMPARE(ok.texts.size(), 1);
        QCOMPARE(child<QComboBox>(*w, "cbEVOname")->count(), 0);
        QCOMPARE(child<QTreeWidget>(*w, "tvXPL")->topLevelItemCount(), 0);
        QVERIFY(child<QPlainTextEdit>(*w, "mXPL")->toPlainText().isEmpty());
        QVERIFY(!child<QPushButton>(*w, "bWriteChaps")->isEnabled());
    }

    void closingDuringADemuxAsksAndStopsTheRun() {
        const QString file = writeSource(dir_.filePath(QStringLiteral("close/FEATURE_1.EVO")),
                                         buildProgramStream({mpeg2Video(0xE0, 300, 32000, 0x200000)}, {}));
        auto w = startWindow({file});
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.filePath(QStringLiteral("close")));
        child<QRadioButton>(*w, "rbAutoDemux")->click();  // stored at close, not chained after it
        bool keptOpen = false, closed = false;
        QStringList questions;
        QTimer::singleShot(0, w.get(), [&] {
            {
                BoxAnswerer goOn(QStringLiteral("Continue"));
                keptOpen = !w->close() && w->isVisible();
                questions += goOn.texts;
            }
            BoxAnswerer remove(QStringLiteral("Stop and remove"));
            closed = w->close();
            questions += remove.texts;
        });
        child<QPushButton>(*w, "bDemux")->click();
        QVERIFY(keptOpen);
        QVERIFY(closed);
        QCOMPARE(
            questions,
            QStringList(
                2, QStringLiteral("Stop the Demux? What was written so far can be kept as .partial files.")));
        QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("close/FEATURE_1.MPEG-2.stream.0.mpv"))));
        QVERIFY(logLines(*w).contains(QStringLiteral("Cancelled.")));
        QVERIFY(!w->model().runActive);
        QCOMPARE(store().value(QLatin1String(settings::kAutoDemux)).toInt(), 1);
    }

    // A Read started from the source dialog begins only once the dialog has closed and the
    // window has drawn itself again, so the dialog's picture is not left over the log.
    void aReadFromTheSourceDialogStartsAfterTheDialogHasGone() {
        const QString file = writeSource(dir_.filePath(QStringLiteral("dialog/FEATURE_1.EVO")),
                                         buildProgramStream({mpeg2Video(0xE0, 5, 2000, 90000)}, {}));
        auto w = startWindow();
        QVERIFY(w);
        bool dialogGoneAtStart = false, sawDialog = false;
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            sawDialog = true;
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();
        });
        answer.start();
        // The run's first log line tells whether the dialog was still up.
        bool logged = false;
        QObject::connect(child<QTextEdit>(*w, "reMessage"), &QTextEdit::textChanged, [&] {
            if (logged || child<QTextEdit>(*w, "reMessage")->toPlainText().isEmpty()) return;
            logged = true;
            dialogGoneAtStart = QApplication::activeModalWidget() == nullptr;
        });
        child<QPushButton>(*w, "bbEVO")->click();
        answer.stop();
        QVERIFY(sawDialog);
        QVERIFY(!logLines(*w).contains(QStringLiteral("Done.")));  // not started inside the dialog
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        QVERIFY(dialogGoneAtStart);
    }

    // Make MKV gives the command line's MKV of the sample whatever the order of the buttons:
    // the playlist read or not, the source read or not (tracks, names, languages, chapters as
    // mkvmerge -J lists them).
    void makeMkvIsTheCommandLinesWhateverTheOrderOfTheButtons() {
        if (QStandardPaths::findExecutable(QStringLiteral("mkvmerge")).isEmpty())
            QSKIP("mkvmerge is not installed (package mkvtoolnix): Make MKV cannot run");
        const QString evo =
            QString::fromUtf8(QUARNEL_SOURCE_DIR) + QStringLiteral("/sample/HVDVD_TS/FEATURE_1.EVO");
        const QStringList expected = cliTracks(evo, dir_.filePath(QStringLiteral("cli")), {});
        QCOMPARE(expected.size(), 10);  // nine tracks and the chapter list

        const std::vector<std::vector<const char*>> orders = {{"bMakeMkv"},
                                                              {"bReadXPL", "bMakeMkv"},
                                                              {"bReadXPL", "bReadEVO", "bMakeMkv"},
                                                              {"bReadEVO", "bReadXPL", "bMakeMkv"},
                                                              {"bReadEVO", "bMakeMkv"}};
        int run = 0;
        for (const auto& order : orders) {
            auto w = startWindow({evo});
            QVERIFY(w);
            const QString out = dir_.filePath(QStringLiteral("mkv%1").arg(++run));
            child<QLineEdit>(*w, "eWorkdir")->setText(out);
            for (const char* button : order) child<QPushButton>(*w, button)->click();
            QCOMPARE(tracksOf(out + QStringLiteral("/FEATURE_1_MERGED.mkv")), expected);
            QVERIFY(!QFileInfo::exists(out + QStringLiteral("/FEATURE_1_MERGED.mkv-temp")));
            QVERIFY(child<QPushButton>(*w, "bMakeMkv")->isEnabled());
        }
    }

    // The Tracks page lists every stream of the sample; a tick there is the box's tick; a name,
    // language and flags edited there (F2, Space) reach the MKV as the command line's options do.
    void theTracksPageEditsWhatMakeMkvWritesAsTheCommandLineDoes() {
        const QString evo =
            QString::fromUtf8(QUARNEL_SOURCE_DIR) + QStringLiteral("/sample/HVDVD_TS/FEATURE_1.EVO");
        auto w = startWindow({evo});
        QVERIFY(w);
        child<QPushButton>(*w, "bReadEVO")->click();
        QVERIFY(!child<QLabel>(*w, "lTracksPlaylistUnread")->isHidden());
        child<QPushButton>(*w, "bReadXPL")->click();
        QVERIFY(child<QLabel>(*w, "lTracksPlaylistUnread")->isHidden());
        child<QPushButton>(*w, "bReadEVO")->click();  // the playlist's boxes become the streams found
        auto* table = child<QTableWidget>(*w, "tvTracks");
        QCOMPARE(table->rowCount(), 9);
        const auto column = [&](const char* header) {
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->horizontalHeaderItem(c)->text() == QLatin1String(header)) return c;
            return -1;
        };
        QCOMPARE(cell(*w, "tvTracks", 2, column("Codec")), QStringLiteral("AC-3"));
        QCOMPARE(cell(*w, "tvTracks", 6, column("Channels")), QStringLiteral("6"));
        QCOMPARE(cell(*w, "tvTracks", 3, column("Language")), QStringLiteral("fr"));
        QCOMPARE(cell(*w, "tvTracks", 0, column("Picture")), QStringLiteral("1920x1080"));

        // One tick, two places.
        table->item(6, 0)->setCheckState(Qt::Unchecked);
        QVERIFY(!child<QCheckBox>(*w, "cbAudio04")->isChecked());
        child<QCheckBox>(*w, "cbAudio04")->click();
        QCOMPARE(table->item(6, 0)->checkState(), Qt::Checked);

        const auto type = [&](int row, const char* header, const QString& text) {
            table->setFocus();
            table->setCurrentCell(row, column(header));
            QTest::keyClick(table, Qt::Key_F2);
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, text);
            QTest::keyClick(editor, Qt::Key_Return);
        };
        type(3, "Name", QStringLiteral("Director = Narrator"));
        type(3, "Language", QStringLiteral("fr-CA"));
        type(2, "Language", QStringLiteral("e"));  // not a code: the language stays
        QCOMPARE(cell(*w, "tvTracks", 2, column("Language")), QStringLiteral("en"));
        table->setCurrentCell(7, column("Forced"));
        QTest::keyClick(table, Qt::Key_Space);
        table->item(3, column("Default"))->setCheckState(Qt::Checked);
        QCOMPARE(table->item(2, column("Default"))->checkState(), Qt::Unchecked);

        if (QStandardPaths::findExecutable(QStringLiteral("mkvmerge")).isEmpty())
            QSKIP("mkvmerge is not installed (package mkvtoolnix): Make MKV cannot run");
        const QString out = dir_.filePath(QStringLiteral("tracks"));
        child<QLineEdit>(*w, "eWorkdir")->setText(out);
        child<QPushButton>(*w, "bMakeMkv")->click();
        const QStringList made = tracksOf(out + QStringLiteral("/FEATURE_1_MERGED.mkv"));
        QCOMPARE(made, cliTracks(evo, dir_.filePath(QStringLiteral("tracks-cli")),
                                 {QStringLiteral("--track-name=a01=Director = Narrator"),
                                  QStringLiteral("--language=a01=fr-CA"), QStringLiteral("--default=a01"),
                                  QStringLiteral("--forced=s00")}));
        QCOMPARE(made.value(3), QStringLiteral("DTS|Director = Narrator|fr-CA|default|"));
        QCOMPARE(made.value(7), QStringLiteral("HDMV PGS|English|en||forced"));
    }

    // A DVD folder dropped lists its titles above the boxes, the longest chosen and read;
    // choosing another fills the boxes from it, and Demux writes that title under its name.
    void aDroppedDiscListsItsTitlesAndDemuxesTheOneChosen() {
        for (const char* program : {"dvdauthor", "ffmpeg"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                QSKIP("dvdauthor and ffmpeg make the disc (tools/setup.sh installs them)");
        const QString folder = dir_.filePath(QStringLiteral("dvd"));
        QDir().mkpath(folder);
        const QString make =
            QStringLiteral(
                "cd '%1' && for k in 1 2; do ffmpeg -v error -y -f lavfi -i testsrc2=size=720x576:rate=25 -f "
                "lavfi "
                "-i sine=sample_rate=48000 -t $((k * 2)) -target pal-dvd c$k.mpg || exit 1; done && "
                "printf '<dvdauthor dest=\"FILMS\"><vmgm/><titleset><titles><pgc><vob file=\"c1.mpg\"/></pgc>"
                "<pgc><vob file=\"c2.mpg\"/></pgc></titles></titleset></dvdauthor>' > dvd.xml && "
                "VIDEO_FORMAT=PAL dvdauthor -x dvd.xml >/dev/null 2>&1")
                .arg(folder);
        QCOMPARE(std::system(make.toLocal8Bit().constData()), 0);
        auto w = startWindow();
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(folder);
        QVERIFY(dropFiles(*w, {folder + QStringLiteral("/FILMS")}));
        auto* titles = child<QTreeWidget>(*w, "tvTitles");
        QVERIFY(!titles->parentWidget()->isHidden());  // the list shows while a disc is the source
        QCOMPARE(titles->topLevelItemCount(), 2);
        QCOMPARE(titles->indexOfTopLevelItem(titles->currentItem()), 1);  // the longest
        QCOMPARE(titles->topLevelItem(1)->text(6), QStringLiteral("longest"));
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        emit titles->itemClicked(titles->topLevelItem(0), 0);
        QCOMPARE(w->model().baseName, std::string("FILMS_title01"));
        QVERIFY(child<QCheckBox>(*w, "cbAudio00")->isChecked());
        child<QPushButton>(*w, "bDemux")->click();
        QVERIFY(QFileInfo(dir_.filePath(QStringLiteral("dvd/FILMS_title01.MPEG-2.stream.0.mpv"))).size() > 0);
        QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("dvd/FILMS_title02.MPEG-2.stream.0.mpv"))));
    }

    // The shipped sample is an HD DVD folder: dropped, its playlist's titles are listed and the
    // longest is read.
    void aDroppedHdDvdFolderListsItsPlaylistsTitles() {
        const QString folder = dir_.filePath(QStringLiteral("MOVIE"));
        std::filesystem::copy(std::string(QUARNEL_SOURCE_DIR) + "/sample", folder.toStdString(),
                              std::filesystem::copy_options::recursive);
        auto w = startWindow();
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.path());
        QVERIFY(dropFiles(*w, {folder}));
        auto* titles = child<QTreeWidget>(*w, "tvTitles");
        QCOMPARE(titles->topLevelItemCount(), 3);
        QCOMPARE(titles->topLevelItem(0)->text(6), QStringLiteral("first play"));
        QCOMPARE(titles->indexOfTopLevelItem(titles->currentItem()), 1);
        QCOMPARE(titles->topLevelItem(1)->text(1), QStringLiteral("Main Feature"));
        QCOMPARE(titles->topLevelItem(1)->text(6), QStringLiteral("longest"));
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Done.")));
        QCOMPARE(w->model().baseName, std::string("MOVIE_title01"));
        // The XPL page shows the playlist's part for the title, the VTI page its first EVO;
        // another title chosen shows its own.
        const auto xpl = [&] { return child<QPlainTextEdit>(*w, "mXPL")->toPlainText(); };
        QVERIFY(xpl().contains(QStringLiteral("displayName=\"Main Feature\"")));
        QCOMPARE(child<QComboBox>(*w, "cbEVOname")->currentText(), QStringLiteral("FEATURE_1.EVO"));
        emit titles->itemActivated(titles->topLevelItem(2), 0);  // Enter on the third row
        QTRY_VERIFY(xpl().contains(QStringLiteral("displayName=\"Highlight\"")));
        QVERIFY(!xpl().contains(QStringLiteral("Main Feature")));
        QTRY_COMPARE(child<QComboBox>(*w, "cbEVOname")->currentText(), QStringLiteral("FEATURE_2.EVO"));
        if (QStandardPaths::findExecutable(QStringLiteral("mkvmerge")).isEmpty()) return;
        // The playlist page shown changes nothing of the title's MKV: the command line's.
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.filePath(QStringLiteral("disc-mkv")));
        child<QPushButton>(*w, "bMakeMkv")->click();
        const QString mkv = QStringLiteral("MOVIE_title02.mkv");
        const QStringList made = tracksOf(dir_.filePath(QStringLiteral("disc-mkv/")) + mkv);
        QVERIFY(made.size() > 3);
        QCOMPARE(made, cliTracks(folder, dir_.filePath(QStringLiteral("disc-cli")),
                                 {QStringLiteral("--title=2")}, mkv));
    }

    void aDroppedPlaylistFillsTheXplPage() {
        const QString playlist =
            QString::fromUtf8(QUARNEL_SOURCE_DIR) + QStringLiteral("/sample/ADV_OBJ/VPLST000.XPL");
        QVERIFY(QFileInfo::exists(playlist));
        auto w = startWindow();
        QVERIFY(w);
        QVERIFY(dropFiles(*w, {playlist}));
        auto* tree = child<QTreeWidget>(*w, "tvXPL");
        QCOMPARE(tree->topLevelItemCount(), 5);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Info"));
        child<QTabWidget>(*w, "PageControl")->setCurrentIndex(int(Page::Xpl));
        QTRY_VERIFY(tree->width() > kDefaultTreeWidth);    // wide enough for its entries
        QVERIFY(tree->topLevelItem(2)->childCount() > 0);  // the title's audio streams
        QVERIFY(child<QPlainTextEdit>(*w, "mXPL")->toPlainText().contains(QLatin1String("<")));
        QCOMPARE(child<QPushButton>(*w, "bWriteChaps")->isEnabled(), !w->model().playlist.chapters.empty());
        QVERIFY(child<QPushButton>(*w, "bReadXPL")->isEnabled());
        QVERIFY(child<QPushButton>(*w, "bbEVO")->isEnabled());
    }

    // The playlist named on the command line fills the XPL page; a source typed into its field
    // is read on Enter and named in the title bar; another source typed clears the XPL and VTI
    // pages that described the first.
    void typedPathsAndAPlaylistOnTheCommandLine() {
        const QString sample = QString::fromUtf8(QUARNEL_SOURCE_DIR) + QStringLiteral("/sample");
        auto w = startWindow({sample + QStringLiteral("/ADV_OBJ/VPLST000.XPL")});
        QVERIFY(w);
        auto* tree = child<QTreeWidget>(*w, "tvXPL");
        QCOMPARE(tree->topLevelItemCount(), 5);
        QVERIFY(child<QLineEdit>(*w, "eEVOfile")->text().isEmpty());

        const auto typeSource = [&](const QString& path) {
            auto* field = child<QLineEdit>(*w, "eEVOfile");
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, path);
            QTest::keyClick(field, Qt::Key_Return);
        };
        typeSource(sample + QStringLiteral("/HVDVD_TS/FEATURE_1.EVO"));
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Opening file FEATURE_1.EVO")));
        QCOMPARE(w->windowTitle(), QStringLiteral("FEATURE_1.EVO \u2014 Quarnel"));
        QVERIFY(child<QComboBox>(*w, "cbEVOname")->count() > 0);  // the VTI beside it, read
        child<QPushButton>(*w, "bReadXPL")->click();
        QCOMPARE(tree->topLevelItemCount(), 5);

        const QString other = dir_.filePath(QStringLiteral("OTHER.EVO"));
        QVERIFY(QFile::copy(sample + QStringLiteral("/HVDVD_TS/FEATURE_2.EVO"), other));
        typeSource(other);
        QTRY_VERIFY(logLines(*w).contains(QStringLiteral("Opening file OTHER.EVO")));
        QCOMPARE(tree->topLevelItemCount(), 0);
        QCOMPARE(child<QComboBox>(*w, "cbEVOname")->count(), 0);
        QVERIFY(child<QPushButton>(*w, "bDemux")->isEnabled());
    }

    // One bar over the whole run: over the two files of a split movie a Demux's bar only goes
    // forward, and Make MKV's demux and mkvmerge phases follow each other on one bar.
    void progressRunsOnceOverTheWholeRun() {
        const std::vector<EsStream> streams = {mpeg2Video(0xE0, 300, 32000, 0x200000),
                                               audio(EsKind::Ac3, 0x80, 200, 1536, 0x200000, 1)};
        const QString first = writeSource(dir_.filePath(QStringLiteral("split/HVDVD_TS/FEATURE_1.EVO")),
                                          buildProgramStream(streams, {}));
        writeSource(dir_.filePath(QStringLiteral("split/HVDVD_TS/FEATURE_2.EVO")),
                    buildProgramStream(streams, {}));
        auto w = startWindow({first});
        QVERIFY(w);
        child<QLineEdit>(*w, "eWorkdir")->setText(dir_.filePath(QStringLiteral("split/out")));
        auto* bar = child<QProgressBar>(*w, "ProgressBar");
        QVERIFY(bar);
        QList<double> seen;
        connect(bar, &QProgressBar::valueChanged, w.get(),
                [&](int value) { seen << double(value) / std::max(1, bar->maximum()); });
        const auto forwardOnly = [&] {
            for (qsizetype k = 1; k < seen.size(); ++k)
                if (seen[k] + 1e-9 < seen[k - 1] && seen[k] != 0) return false;
            return true;
        };
        child<QPushButton>(*w, "bDemux")->click();
        QVERIFY(seen.size() >= 4);  // two files of 9 MiB
        QVERIFY(forwardOnly());
        QVERIFY(seen.last() > 0.9);

        seen.clear();
        // A slow mkvmerge that reports half its work and then fails: the window keeps serving
        // its events through every phase (a timer never waits long), and the failure shows in
        // a box and the status line, not only in the log.
        const QString fake = dir_.filePath(QStringLiteral("slow-mkvmerge"));
        const std::string script =
            "#!/bin/sh\necho '#GUI#progress 50%'\nsleep 2\necho 'Error: this mkvmerge makes nothing'\nexit "
            "2\n";
        writeSource(fake, fixtures::Bytes(script.begin(), script.end()));
        QFile::setPermissions(fake, QFile::permissions(fake) | QFileDevice::ExeOwner);
        qputenv("QUARNEL_MKVMERGE", fake.toLocal8Bit());
        QElapsedTimer clock;
        qint64 last = 0, longestWait = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, w.get(), [&] {
            longestWait = std::max(longestWait, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        tick.start(20);
        const BoxAnswerer errors(QMessageBox::Ok);
        child<QPushButton>(*w, "bMakeMkv")->click();
        tick.stop();
        qunsetenv("QUARNEL_MKVMERGE");
        QVERIFY2(longestWait < 1000, qPrintable(QString::number(longestWait)));
        QVERIFY(clock.elapsed() >= 2000);  // the timer ran through mkvmerge's two seconds
        QCOMPARE(errors.texts.size(), 1);
        QVERIFY(errors.texts[0].startsWith(QStringLiteral("mkvmerge failed")));
        QCOMPARE(w->findChild<StatusLine*>()->panelText(0), QStringLiteral(" Failed"));
        QVERIFY(forwardOnly());
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](double v) { return v > 0.1 && v < 0.5; }));
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](double v) { return v >= 0.5; }));
    }

    void theVtiPageShowsTheRecordOfTheFileRead() {
        const QString folder = dir_.filePath(QStringLiteral("DISC/HVDVD_TS/"));
        const QString evo = writeSource(folder + QStringLiteral("FEATURE_2.EVO"),
                                        buildProgramStream({mpeg2Video(0xE0, 5, 3000, 0x200000)}, {}));
        writeSource(folder + QStringLiteral("HVA00001.VTI"),
                    vtiFile({{kMpeg2Interlaced576, {{0x1C, 0x00, 0x14}}, 0},
                             {kVc1Progressive1080, {{0x14, 0x20, 0x54}, {0x1C, 0x00, 0x14}}, 3}},
                            {{"FEATURE_1.EVO", 1}, {"FEATURE_2.EVO", 2}}));
        auto w = startWindow({evo});
        QVERIFY(w);
        QVERIFY(logLines(*w).contains(QStringLiteral("2 VTS_EVOBIs found.")));
        auto* name = child<QComboBox>(*w, "cbEVOname");
        QCOMPARE(name->count(), 2);
        QCOMPARE(name->currentText(), QStringLiteral("FEATURE_2.EVO"));
        QCOMPARE(child<QLineEdit>(*w, "eEVOBname")->text(), QStringLiteral("FEATURE_2.EVO"));
        QCOMPARE(child<QLineEdit>(*w, "eAddrOffs")->text(), QStringLiteral("00ABCDEF"));
        QCOMPARE(child<QLineEdit>(*w, "ieEVOsize")->text(), QStringLiteral("777"));
        QCOMPARE(child<QComboBox>(*w, "cbAttrNo")->currentText(), QStringLiteral("2"));
        QCOMPARE(child<QComboBox>(*w, "cbAppType")->currentText(), QStringLiteral("Standard VTS"));
        const std::pair<const char*, const char*> video[] = {{"cbMainCompr", "VC-1"},
                                                             {"cbMainTV", "525/60Hz"},
                                                             {"cbMainAspect", "16:9"},
                                                             {"cbMainProgInt", "progressive"},
                                                             {"cbMainRes", "1920x1080"}};
        for (const auto& [box, text] : video)
            QCOMPARE(child<QComboBox>(*w, box)->currentText(), QLatin1String(text));
        QVERIFY(!child<QComboBox>(*w, "cbSubCompr")->isEnabled());
        QCOMPARE(cell(*w, "sgMainAudio", 0, 1), QStringLiteral("Coding"));
        QCOMPARE(cell(*w, "sgMainAudio", 1, 1), QStringLiteral("LPCM"));
        QCOMPARE(cell(*w, "sgMainAudio", 1, 2), QStringLiteral("96 kHz"));
        QCOMPARE(cell(*w, "sgMainAudio", 1, 3), QStringLiteral("20 bit"));
        QCOMPARE(cell(*w, "sgMainAudio", 1, 4), QStringLiteral("6"));
        QCOMPARE(cell(*w, "sgMainAudio", 2, 1), QStringLiteral("DD/DD+"));
        QCOMPARE(cell(*w, "sgMainAudio", 2, 3), QString());
        auto* subpictures = child<QTableWidget>(*w, "sgSubpicture");
        QCOMPARE(subpictures->rowCount(), 4);
        QCOMPARE(subpictures->height(), 4 * 19 + 4);
        auto* subAudio = child<QTableWidget>(*w, "sgSubAudio");
        auto* mainAudio = child<QTableWidget>(*w, "sgMainAudio");
        QCOMPARE(subAudio->y(), mainAudio->y() + mainAudio->height() + 6);
        QCOMPARE(subpictures->y(), subAudio->y() + subAudio->height() + 6);

        // Choosing the other EVOB shows its record; the lists do not grow.
        const int resolutions = child<QComboBox>(*w, "cbMainRes")->count();
        name->setCurrentIndex(0);
        emit name->activated(0);
        QCOMPARE(child<QComboBox>(*w, "cbAttrNo")->currentText(), QStringLiteral("1"));
        QCOMPARE(child<QComboBox>(*w, "cbMainCompr")->currentText(), QStringLiteral("MPEG-2"));
        QCOMPARE(child<QComboBox>(*w, "cbMainRes")->currentText(), QStringLiteral("720x480(576)"));
        QCOMPARE(child<QComboBox>(*w, "cbMainRes")->count(), resolutions);
        QCOMPARE(cell(*w, "sgMainAudio", 1, 1), QStringLiteral("DD/DD+"));
        QCOMPARE(subpictures->rowCount(), 2);
    }
};

}  // namespace quarnel::guitest

QTEST_MAIN(quarnel::guitest::WindowRuns)
#include "window_runs_test.moc"
