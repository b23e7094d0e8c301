// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's controls do: the operations behind the buttons, the file and folder
// dialogs, dropped files and the option controls.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "formats/disc/dvd_disc.h"
#include "formats/disc/hddvd_disc.h"
#include "gui/desktop_notice.h"
#include "gui/main_window.h"
#include "gui/page_control.h"
#include "gui/recent_sources.h"
#include "gui/status_line.h"
#include "gui/tracks_page.h"
#include "gui/vti_page.h"
#include "report/message_log.h"

namespace quarnel {
namespace {

constexpr const char* kSourceFilters =
    "All supported file (*.aob *.evo *.vob *.iso *.AOB *.EVO *.VOB *.ISO);;"
    "EVOB files (HD DVD) (*.evo *.EVO);;"
    "AOB files (DVD Audio) (*.aob *.AOB);;"
    "VOB files (DVD Video) (*.vob *.VOB);;"
    "DVD-Video disc images (*.iso *.ISO)";
constexpr const char* kPlaylistFilter = "XPL (VPLST000.XPL)";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The files a drop or the source dialog may bring: the sources, and the playlist.
bool isSourceFile(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    return ext == QLatin1String("EVO") || ext == QLatin1String("VOB") || ext == QLatin1String("AOB");
}
bool isPlaylistFile(const QString& path) {
    return QFileInfo(path).suffix().toUpper() == QLatin1String("XPL");
}
// A DVD-Video disc (its folder, its VIDEO_TS folder, or an .iso image) or an HD DVD one (its
// folder or its HVDVD_TS folder); a playlist or an IFO file dropped is taken as itself.
bool isDisc(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    return isDiscSource(path.toStdString()) && ext != QLatin1String("IFO") && ext != QLatin1String("XPL");
}

// Read, and when it fails, no page goes on showing what belonged to the file read before: the
// VTI records, the playlist's tag list, tree and chapters, and "Write chapters" (which would
// write that title's chapters under the new name). A Read that gets through its files marks the
// stream table as its own (tableFromPlaylist false); one that fails leaves the mark alone.
void readReplacing(Session& session, Host& host) {
    // A disc named in the source field is opened first: its longest title is read.
    if (!session.disc && !session.runActive && isDisc(qs(session.sourcePath))) {
        if (const std::string error = session.openDisc(session.sourcePath); !error.empty()) {
            session.lastError = error;
            host.showError(error);
            return;
        }
    }
    const bool tableFromPlaylist = session.tableFromPlaylist;
    session.tableFromPlaylist = true;
    runs::read(session, host);
    if (!session.tableFromPlaylist) return;
    session.tableFromPlaylist = tableFromPlaylist;
    if (session.lastError.empty()) return;  // refused: another run was active
    session.vti = VtiView{};
    session.playlist.tags.clear();
    session.playlist.tree.clear();
    session.playlist.chapters.clear();
    session.buttons.writeChapters = false;
}

}  // namespace

void MainWindow::connectControls() {
    connectPathFields();
    const auto operation = [this](QPushButton* b, void (*op)(Session&, Host&)) {
        connect(b, &QPushButton::clicked, this, [this, op] { runOperation(op); });
    };
    operation(bReadEVO_, &readReplacing);
    operation(bReadXPL_, &runs::readPlaylist);
    operation(bDemux_, &runs::demux);
    operation(bRebuild_, &runs::rebuild);
    operation(bMakeMkv_, &runs::makeMkv);
    operation(bWriteChaps_, &runs::writeChapters);
    operation(vtiPage_->bReadVTI, &runs::readVti);
    // Cancel is served while a run waits for events; it starts nothing itself.
    connect(bCancel_, &QPushButton::clicked, this, [this] { runs::cancel(model_, *this); });
    connect(bClear_, &QPushButton::clicked, this, [this] { clearLog(); });
    connect(bCheckNew_, &QPushButton::clicked, this, &MainWindow::askForNewVersion);
    connect(bbEVO_, &QPushButton::clicked, this, &MainWindow::chooseSourceFile);
    connect(bbXPL_, &QPushButton::clicked, this, &MainWindow::choosePlaylistFile);
    connect(bbWorkdir_, &QPushButton::clicked, this, &MainWindow::chooseOutputFolder);
    // Choosing a disc's title fills the boxes from it, and reads it when the options say so.
    const auto chooseTitle = [this](int index) {
        if (model_.runActive || !model_.disc || index < 0 || size_t(index) >= model_.disc->titles.size())
            return;
        model_.chooseDiscTitle(model_.disc->titles[size_t(index)].number);
        pushState();
        showDiscTitlePlaylist();
        if (cbAutoRead_->isChecked()) runOperation(&readReplacing);
    };
    connect(tvTitles_, &QTreeWidget::itemClicked, this, [this, chooseTitle](QTreeWidgetItem* item) {
        chooseTitle(tvTitles_->indexOfTopLevelItem(item));
    });
    connect(tvTitles_, &QTreeWidget::itemActivated, this, [this, chooseTitle](QTreeWidgetItem* item) {
        chooseTitle(tvTitles_->indexOfTopLevelItem(item));
    });
    connect(xplSplitter_, &QSplitter::splitterMoved, this,
            [this] { stored_.treeWidth = xplSplitter_->sizes().value(0); });
    // A focused push button takes Enter, as it takes Space (see main_window_keys.cpp).
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(true);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { followFocus(now); });

    const auto tickHandler = [this](QCheckBox* box) {
        connect(box, &QCheckBox::clicked, this, [this, box] { pullBoxTick(box); });  // cbVideoClick
    };
    for (QCheckBox* b : cbVideo_) tickHandler(b);
    for (QCheckBox* b : cbAudio_) tickHandler(b);
    for (QCheckBox* b : cbSub_) tickHandler(b);

    // Options take effect at once: each change goes straight to the model.
    for (QCheckBox* b : {cbContinue_, cbCountFr_, cbDetails_, cbAutoRead_, cbAutoClear_, cbRBAdvanced_,
                         cbAdjustPTS_, cbReadVTI_, cbLpcmWav_, cbSplitTracks_, cbAskReplace_})
        connect(b, &QCheckBox::toggled, this, &MainWindow::pullOptions);
    for (QCheckBox* b : cbSubFormat_)
        connect(b, &QCheckBox::toggled, this, [this, b] { pullSubtitleFormat(b); });
    connect(cbFastCheck_, &QCheckBox::toggled, this, &MainWindow::followFastCheck);
    connect(ieFastSize_, &QSpinBox::valueChanged, this, &MainWindow::pullOptions);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_})
        connect(r, &QRadioButton::toggled, this, &MainWindow::pullOptions);
    for (QLineEdit* e : {eVideoExt_, eAudioExt_, eSubExt_, eWorkdir_, eOcrLang_})
        connect(e, &QLineEdit::textChanged, this, &MainWindow::pullOptions);

    // A tick on the Tracks page is the tick of the stream's box; its edits go into Make MKV.
    tracksPage_->onTick = [this](StreamKind kind, size_t slot, bool ticked) {
        StreamBox& box = kind == StreamKind::Video   ? model_.boxes.video[slot]
                         : kind == StreamKind::Audio ? model_.boxes.audio[slot]
                                                     : model_.boxes.sub[slot];
        if (box.enabled) box.ticked = ticked;
        model_.updateRunButtons();
        pushState();
    };
    tracksPage_->onEdit = [this](const TrackEdits& edits) {
        model_.trackEdits = edits;
        pushState();
    };
    vtiPage_->onEVOnameChosen = [this](int index) {
        model_.vti.evobNames.selected = index;
        model_.vti.showSelectedEvob();
        vtiPage_->mirror(model_.vti);
    };
    vtiPage_->onAttrNoChosen = [this](int index) {
        model_.vti.attributeNumbers.selected = index;
        model_.vti.showSelectedAttributes();
        vtiPage_->mirror(model_.vti);
    };
}

void MainWindow::runOperation(void (*operation)(Session&, Host&)) {
    if (model_.runActive || closed_) return;
    pullOptions();
    // The log shows the busy cursor while the run works; the window stays usable (Cancel).
    reMessage_->viewport()->setCursor(Qt::BusyCursor);
    StatusBar_->offerFolder({});
    operation(model_, *this);
    reMessage_->viewport()->unsetCursor();
    StatusBar_->endProgress();
    taskbar_.clear();
    // What the run wrote can be opened from the status line; a user in another window hears
    // that it has ended.
    const std::vector<std::string>& written = model_.run.outputsWritten;
    if (!written.empty()) StatusBar_->offerFolder(QFileInfo(qs(written.front())).absolutePath());
    if (!isActiveWindow() && (!written.empty() || !model_.lastError.empty()))
        notifyDesktop(
            model_.lastError.empty() ? QStringLiteral("Quarnel: done") : QStringLiteral("Quarnel: failed"),
            model_.lastError.empty() ? QFileInfo(qs(written.front())).absolutePath() : qs(model_.lastError));
    pushState();
}

void MainWindow::followFastCheck() {
    ieFastSize_->setEnabled(cbFastCheck_->isChecked());
    pullOptions();
}

void MainWindow::setSource(const QString& path) {
    model_.sourcePath = path.toStdString();
    model_.sourceChanged();
    pushState();
}

void MainWindow::setPlaylist(const QString& path) {
    model_.playlistPath = path.toStdString();
    model_.playlistChanged();
    pushState();
}

void MainWindow::chooseSourceFile() {
    QFileDialog dialog(this, QStringLiteral("Choose the EVO file to demux"), qs(model_.sourceDir));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(kSourceFilters));
    dialog.setNameFilters(QString::fromLatin1(kSourceFilters).split(QStringLiteral(";;")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (isDisc(dialog.selectedFiles().first())) {
        openDisc(dialog.selectedFiles().first(), cbAutoRead_->isChecked());
        return;
    }
    setSource(dialog.selectedFiles().first());
    rememberOpened(dialog.selectedFiles().first());
    if (bReadEVO_->isEnabled()) bReadEVO_->setFocus();
    model_.resetBoxes();
    pushState();
    if (cbAutoRead_->isChecked()) runAfterDialog(&readReplacing);
}

void MainWindow::choosePlaylistFile() {
    QFileDialog dialog(this, QStringLiteral("Choose the playlist file"), qs(model_.playlistDir));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(kPlaylistFilter));
    if (!model_.playlistName.empty()) dialog.selectFile(qs(model_.playlistName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    setPlaylist(dialog.selectedFiles().first());
    if (cbAutoRead_->isChecked()) runAfterDialog(&runs::readPlaylist);
}

void MainWindow::chooseOutputFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select a directory"), eWorkdir_->text());
    if (!folder.isEmpty()) eWorkdir_->setText(folder);
}

void MainWindow::chooseDisc() {
    if (model_.runActive || closed_) return;
    const QString folder = QFileDialog::getExistingDirectory(
        this,
        QStringLiteral("Choose the disc folder (a DVD-Video's or its VIDEO_TS, an HD DVD's or its HVDVD_TS)"),
        qs(model_.sourceDir));
    if (!folder.isEmpty()) openDisc(folder, cbAutoRead_->isChecked());
}

void MainWindow::showDiscTitlePlaylist() {
    if (!model_.disc || model_.disc->playlist.empty()) return;
    const int page = PageControl_->currentIndex();
    runOperation(&runs::readPlaylist);
    PageControl_->setCurrentIndex(page);  // the playlist read turns to its page; the user stays
}

void MainWindow::openDisc(const QString& path, bool read) {
    if (model_.runActive || closed_) return;
    const std::string error = model_.openDisc(path.toStdString());
    pushState();
    if (!error.empty()) {
        showError(error);
        return;
    }
    rememberOpened(path);
    showDiscTitlePlaylist();
    PageControl_->setCurrentIndex(int(Page::VideoAudio));
    if (read) runOperation(&readReplacing);
}

bool MainWindow::acceptsDrop(const QStringList& files) const {
    return !files.isEmpty() && !model_.runActive && !closed_ &&
           (isSourceFile(files.first()) || isPlaylistFile(files.first()) || isDisc(files.first()));
}

void MainWindow::openDropped(const QStringList& files) {
    if (!acceptsDrop(files)) return;
    if (files.size() > 1)
        MessageLog(*this).log(
            "Only the first of the " + std::to_string(files.size()) +
            " files dropped is opened: " + QFileInfo(files.first()).fileName().toStdString() + ".");
    openPath(files.first(), cbAutoRead_->isChecked());
}

void MainWindow::openPath(const QString& path, bool read) {
    if (model_.runActive || closed_) return;
    if (isDisc(path)) {
        openDisc(path, read);
    } else if (isSourceFile(path) && QFileInfo(path).isFile()) {
        setSource(path);
        rememberOpened(path);
        if (read) runOperation(&readReplacing);
    } else if (isPlaylistFile(path) && QFileInfo(path).isFile()) {
        setPlaylist(path);
        if (read) runOperation(&runs::readPlaylist);
    } else {
        showError("Cannot open \"" + path.toStdString() +
                  "\": it is not a disc (its folder, VIDEO_TS, HVDVD_TS or an .iso image), an EVO, VOB or "
                  "AOB file or a playlist (.XPL).");
    }
}

void MainWindow::rememberOpened(const QString& path) {
    QSettings store{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    rememberSource(store, path);
}

void MainWindow::connectPathFields() {
    for (QLineEdit* field : {eEVOfile_, eXPLfile_, eWorkdir_}) {
        auto* model = new QFileSystemModel(field);  // lists a folder only when asked for it
        if (field == eWorkdir_) model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
        auto* completer = new QCompleter(model, field);
        completer->setCaseSensitivity(Qt::CaseSensitive);
        field->setCompleter(completer);
    }
    connect(eEVOfile_, &QLineEdit::editingFinished, this, [this] { takeTypedSource(false); });
    connect(eEVOfile_, &QLineEdit::returnPressed, this, [this] { takeTypedSource(true); });
    connect(eXPLfile_, &QLineEdit::editingFinished, this, [this] { takeTypedPlaylist(false); });
    connect(eXPLfile_, &QLineEdit::returnPressed, this, [this] { takeTypedPlaylist(true); });
}

void MainWindow::takeTypedSource(bool read) {
    const QString typed = eEVOfile_->text().trimmed();
    const bool changed = typed != qs(model_.sourcePath);
    eEVOfile_->setModified(false);
    if (typed.isEmpty() || model_.runActive || (!changed && !read)) return;
    if (!changed) {
        if (bReadEVO_->isEnabled()) readSource();
        return;
    }
    openPath(typed, read);
    if (qs(model_.sourcePath) != typed) eEVOfile_->setText(qs(model_.sourcePath));  // refused
}

void MainWindow::takeTypedPlaylist(bool read) {
    const QString typed = eXPLfile_->text().trimmed();
    const bool changed = typed != qs(model_.playlistPath);
    eXPLfile_->setModified(false);
    if (typed.isEmpty() || model_.runActive || (!changed && !read)) return;
    if (changed) setPlaylist(typed);
    if (read && bReadXPL_->isEnabled()) runOperation(&runs::readPlaylist);
}

void MainWindow::readSource() {
    runOperation(&readReplacing);
}

void MainWindow::runAfterDialog(void (*operation)(Session&, Host&)) {
    // The run starts once the dialog has gone and the window has drawn itself again where the
    // dialog was; a run started at once would leave the dialog's picture over the log.
    QTimer::singleShot(0, this, [this, operation] {
        repaint();
        runOperation(operation);
    });
}

}  // namespace quarnel
