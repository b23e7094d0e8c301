// What the window's controls do: the operations behind the buttons, the file and folder
// dialogs, dropped files and the option controls.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>

#include "gui/tf_main.h"
#include "gui/vti_page.h"

namespace quarnel {
namespace {

constexpr const char* kSourceFilters =
    "All supported file (*.aob *.evo *.vob *.AOB *.EVO *.VOB);;"
    "EVOB files (HD DVD) (*.evo *.EVO);;"
    "AOB files (DVD Audio) (*.aob *.AOB);;"
    "VOB files (DVD Video) (*.vob *.VOB)";
constexpr const char* kPlaylistFilter = "XPL (VPLST000.XPL)";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

void TfMain::connectControls() {
    const auto operation = [this](QPushButton* b, void (*op)(Session&, Host&)) {
        connect(b, &QPushButton::clicked, this, [this, op] { runOperation(op); });
    };
    operation(bReadEVO_, &runs::read);
    operation(bReadXPL_, &runs::readPlaylist);
    operation(bDemux_, &runs::demux);
    operation(bRebuild_, &runs::rebuild);
    operation(bWriteChaps_, &runs::writeChapters);
    operation(vtiPage_->bReadVTI, &runs::readVti);
    // Cancel is served while a run waits for events; it starts nothing itself.
    connect(bCancel_, &QPushButton::clicked, this, [this] { runs::cancel(model_, *this); });
    connect(bClear_, &QPushButton::clicked, this, [this] { clearLog(); });
    connect(bCheckNew_, &QPushButton::clicked, this, &TfMain::bCheckNewClick);
    connect(bbEVO_, &QPushButton::clicked, this, &TfMain::bbEVOClick);
    connect(bbXPL_, &QPushButton::clicked, this, &TfMain::bbXPLClick);
    connect(bbWorkdir_, &QPushButton::clicked, this, &TfMain::bbWorkdirClick);
    // The Enter key presses "Read EVO", the window's default button.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (bReadEVO_->isEnabled()) bReadEVO_->click();
        });
    }

    const auto tickHandler = [this](QCheckBox* box) {
        connect(box, &QCheckBox::clicked, this, [this, box] { pullBoxTick(box); });  // cbVideoClick
    };
    for (QCheckBox* b : cbVideo_) tickHandler(b);
    for (QCheckBox* b : cbAudio_) tickHandler(b);
    for (QCheckBox* b : cbSub_) tickHandler(b);

    // Options take effect at once: each change goes straight to the model.
    for (QCheckBox* b : {cbContinue_, cbCountFr_, cbDetails_, cbAutoRead_, cbAutoClear_, cbRBAdvanced_,
                         cbAdjustPTS_, cbReadVTI_})
        connect(b, &QCheckBox::toggled, this, &TfMain::pullOptions);
    connect(cbFastCheck_, &QCheckBox::toggled, this, &TfMain::cbFastCheckClick);
    connect(ieFastSize_, &QSpinBox::valueChanged, this, &TfMain::pullOptions);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_})
        connect(r, &QRadioButton::toggled, this, &TfMain::pullOptions);
    for (QLineEdit* e : {eVideoExt_, eAudioExt_, eSubExt_, eWorkdir_})
        connect(e, &QLineEdit::textChanged, this, &TfMain::pullOptions);

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

void TfMain::runOperation(void (*operation)(Session&, Host&)) {
    if (model_.runActive || closed_) return;
    pullOptions();
    operation(model_, *this);
    pushState();
}

void TfMain::cbFastCheckClick() {
    ieFastSize_->setEnabled(cbFastCheck_->isChecked());
    pullOptions();
}

void TfMain::setSource(const QString& path) {
    model_.sourcePath = path.toStdString();
    model_.sourceChanged();
    pushState();
}

void TfMain::setPlaylist(const QString& path) {
    model_.playlistPath = path.toStdString();
    model_.playlistChanged();
    pushState();
}

void TfMain::bbEVOClick() {
    QFileDialog dialog(this, QStringLiteral("Choose the EVO file to demux"), qs(model_.sourceDir));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(kSourceFilters));
    dialog.setNameFilters(QString::fromLatin1(kSourceFilters).split(QStringLiteral(";;")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    setSource(dialog.selectedFiles().first());
    if (bReadEVO_->isEnabled()) bReadEVO_->setFocus();
    model_.resetBoxes();
    pushState();
    if (cbAutoRead_->isChecked()) runOperation(&runs::read);
}

void TfMain::bbXPLClick() {
    QFileDialog dialog(this, QStringLiteral("Choose the playlist file"), qs(model_.playlistDir));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(kPlaylistFilter));
    if (!model_.playlistName.empty()) dialog.selectFile(qs(model_.playlistName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    setPlaylist(dialog.selectedFiles().first());
    if (cbAutoRead_->isChecked()) runOperation(&runs::readPlaylist);
}

void TfMain::bbWorkdirClick() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select a directory"), eWorkdir_->text());
    if (!folder.isEmpty()) eWorkdir_->setText(folder);
}

void TfMain::WMDropFiles(const QStringList& files) {
    if (files.isEmpty() || model_.runActive || closed_) return;
    const QString& first = files.first();
    const QString ext = QFileInfo(first).suffix().toUpper();
    if (ext == QLatin1String("EVO") || ext == QLatin1String("VOB")) {
        setSource(first);
        if (cbAutoRead_->isChecked()) runOperation(&runs::read);
    } else if (ext == QLatin1String("XPL")) {
        setPlaylist(first);
        if (cbAutoRead_->isChecked()) runOperation(&runs::readPlaylist);
    }
    // Anything else, an AOB too, is ignored without a message.
}

}  // namespace quarnel
