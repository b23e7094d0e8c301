// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where model state and widgets meet: pushState shows the model in the
// widgets, pullOptions and pullBoxTick write the user's changes back.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <algorithm>

#include "report/text_format.h"

#include "app/track_rows.h"
#include "gui/main_window.h"
#include "gui/tracks_page.h"
#include "gui/vti_page.h"
#include "io/files.h"
#include "quarnel_version.h"

namespace quarnel {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

template <size_t N>
void mirrorBoxes(const std::array<QCheckBox*, N>& widgets, const std::array<StreamBox, N>& boxes, bool idle) {
    for (size_t k = 0; k < N; ++k) {
        QCheckBox* w = widgets[k];
        const StreamBox& b = boxes[k];
        const QSignalBlocker block(w);
        w->setText(qs(b.caption));
        w->setChecked(b.ticked);
        w->setEnabled(b.enabled && idle);
        w->setToolTip(qs(b.tooltip));
    }
}

// Refills a memo only when its lines changed since it was last filled.
void mirrorLines(QPlainTextEdit* memo, const std::vector<std::string>& lines,
                 std::vector<std::string>& shown) {
    if (lines == shown) return;
    shown = lines;
    QString text;
    for (const std::string& line : lines) text += qs(line) + QLatin1Char('\n');
    memo->setPlainText(text);
}

// The tree's nodes and children flattened, to see whether it changed.
std::vector<std::string> flatTree(const std::vector<XplTreeNode>& tree) {
    std::vector<std::string> flat;
    for (const XplTreeNode& node : tree) {
        flat.push_back(node.text);
        for (const std::string& child : node.children) flat.push_back("  " + child);
    }
    return flat;
}

}  // namespace

void MainWindow::pushState() {
    // While a run is active nothing that would start another one can be used.
    const bool idle = !model_.runActive;
    const Buttons& b = model_.buttons;
    // A path being typed stays as typed until the field is left.
    if (!eEVOfile_->isModified()) eEVOfile_->setText(qs(model_.sourcePath));
    if (!eXPLfile_->isModified()) eXPLfile_->setText(qs(model_.playlistPath));
    eEVOfile_->setReadOnly(!idle);
    eXPLfile_->setReadOnly(!idle);
    // The file in hand in the title bar.
    setWindowTitle(
        model_.sourcePath.empty()
            ? QStringLiteral("Quarnel v%1").arg(QLatin1String(QUARNEL_VERSION))
            : QStringLiteral("%1 \u2014 Quarnel").arg(QFileInfo(qs(model_.sourcePath)).fileName()));
    bReadEVO_->setEnabled(b.readSource && idle);
    bReadXPL_->setEnabled(b.readPlaylist && idle);
    bDemux_->setEnabled(b.demux && idle);
    bRebuild_->setEnabled(b.rebuild && idle);
    bMakeMkv_->setEnabled(b.makeMkv && idle);
    bCancel_->setEnabled(model_.cancelEnabled);
    bbEVO_->setEnabled(b.chooseSource && idle);
    bbXPL_->setEnabled(b.choosePlaylist && idle);
    bWriteChaps_->setEnabled(b.writeChapters && idle);
    vtiPage_->bReadVTI->setEnabled(b.readVti && idle);
    mirrorBoxes(cbVideo_, model_.boxes.video, idle);
    mirrorBoxes(cbAudio_, model_.boxes.audio, idle);
    mirrorBoxes(cbSub_, model_.boxes.sub, idle);
    pushXpl();
    pushTitles();
    tvTitles_->setEnabled(idle);
    openDiscAction_->setEnabled(b.chooseSource && idle);
    vtiPage_->mirror(model_.vti);
    tracksPage_->mirror(trackRowsOf(model_), model_.trackEdits, idle,
                        !model_.title && !model_.playlistOfSource() && model_.playlistPath != kPlaylistName &&
                            fileExists(model_.playlistPath));
    pushMenuState();
}

void MainWindow::pushTitles() {
    std::vector<std::vector<std::string>> titles;
    int current = -1;
    if (model_.disc) {
        for (const DvdTitle& t : model_.disc->titles) {
            std::string note;
            if (t.number == model_.disc->mainTitle()) note = "longest";
            if (model_.disc->kind == DiscKind::HdDvd && t.number == 0) note = "first play";
            if (model_.title && model_.title->name == t.title.name) current = int(titles.size());
            titles.push_back({std::to_string(t.number), t.name, formatSpan(t.seconds),
                              std::to_string(t.title.chapters.size()), std::to_string(t.title.tracks.size()),
                              std::to_string(t.angles), note});
        }
    }
    titleRow_->setVisible(model_.disc.has_value());
    const QSignalBlocker quiet(tvTitles_);
    if (titles != shownTitles_) {
        tvTitles_->clear();
        for (const std::vector<std::string>& t : titles) {
            QStringList columns;
            for (const std::string& c : t) columns << qs(c);
            auto* item = new QTreeWidgetItem(tvTitles_, columns);
            for (int c = 0; c < 6; ++c)
                if (c != 1) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        shownTitles_ = titles;
        shownTitle_ = -2;
    }
    // The chosen title is the current row; the user's own moves through the list stay until
    // another title is chosen.
    if (current != shownTitle_) {
        tvTitles_->setCurrentItem(current < 0 ? nullptr : tvTitles_->topLevelItem(current));
        shownTitle_ = current;
    }
}

void MainWindow::pushXpl() {
    mirrorLines(mXPL_, model_.playlist.tags, shownXpl_);
    mirrorLines(mChapter_, model_.playlist.chapters, shownChapters_);
    std::vector<std::string> tree = flatTree(model_.playlist.tree);
    if (tree == shownTree_) return;
    shownTree_ = std::move(tree);
    tvXPL_->clear();
    for (const XplTreeNode& node : model_.playlist.tree) {
        auto* top = new QTreeWidgetItem(tvXPL_, QStringList{qs(node.text)});
        for (const std::string& child : node.children) new QTreeWidgetItem(top, QStringList{qs(child)});
    }
    tvXPL_->expandAll();
    if (xplSplitter_->isVisible()) fitTree();
}

void MainWindow::pushOptions() {
    const Options& o = model_.options;
    const std::pair<QCheckBox*, bool> flags[] = {
        {cbContinue_, o.continueSequence},
        {cbFastCheck_, o.fastCheck},
        {cbCountFr_, o.countFrames},
        {cbDetails_, o.details},
        {cbAutoRead_, o.autoRead},
        {cbAutoClear_, o.autoClear},
        {cbRBAdvanced_, o.keepAdvancedPacks},
        {cbAdjustPTS_, o.adjustPts},
        {cbReadVTI_, o.readVti},
        {cbLpcmWav_, o.lpcmWav},
        {cbSplitTracks_, o.splitTracks},
        {cbAskReplace_, o.askBeforeReplacing},
    };
    for (size_t k = 0; k < kSubtitleOutputs.size(); ++k) {
        const QSignalBlocker block(cbSubFormat_[k]);
        cbSubFormat_[k]->setChecked(o.subtitles.*kSubtitleOutputs[k].chosen);
    }
    for (const auto& [box, value] : flags) {
        const QSignalBlocker block(box);
        box->setChecked(value);
    }
    const QSignalBlocker blockSize(ieFastSize_);
    ieFastSize_->setValue(o.fastCheckMiB);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_}) r->blockSignals(true);
    rbNoAuto_->setChecked(o.autoProcess == AutoProcess::None);
    rbAutoDemux_->setChecked(o.autoProcess == AutoProcess::Demux);
    rbAutoRebuild_->setChecked(o.autoProcess == AutoProcess::Rebuild);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_}) r->blockSignals(false);
    const std::pair<QLineEdit*, const std::string*> texts[] = {{eVideoExt_, &o.videoExtension},
                                                               {eAudioExt_, &o.audioExtension},
                                                               {eSubExt_, &o.subExtension},
                                                               {eOcrLang_, &o.ocrLanguage},
                                                               {eWorkdir_, &o.outputDir}};
    for (const auto& [edit, value] : texts) {
        const QSignalBlocker block(edit);
        edit->setText(qs(*value));
    }
    followFastCheck();
    pullOptions();  // the edits may have cut a stored text to their length
}

void MainWindow::pullOptions() {
    Options& o = model_.options;
    o.continueSequence = cbContinue_->isChecked();
    o.fastCheck = cbFastCheck_->isChecked();
    o.fastCheckMiB = ieFastSize_->value();
    o.countFrames = cbCountFr_->isChecked();
    o.details = cbDetails_->isChecked();
    o.autoRead = cbAutoRead_->isChecked();
    o.autoClear = cbAutoClear_->isChecked();
    o.autoProcess = rbAutoDemux_->isChecked()     ? AutoProcess::Demux
                    : rbAutoRebuild_->isChecked() ? AutoProcess::Rebuild
                                                  : AutoProcess::None;
    o.keepAdvancedPacks = cbRBAdvanced_->isChecked();
    o.adjustPts = cbAdjustPTS_->isChecked();
    o.readVti = cbReadVTI_->isChecked();
    o.lpcmWav = cbLpcmWav_->isChecked();
    o.splitTracks = cbSplitTracks_->isChecked();
    o.askBeforeReplacing = cbAskReplace_->isChecked();
    o.videoExtension = eVideoExt_->text().toStdString();
    o.audioExtension = eAudioExt_->text().toStdString();
    o.subExtension = eSubExt_->text().toStdString();
    o.outputDir = eWorkdir_->text().toStdString();
    for (size_t k = 0; k < kSubtitleOutputs.size(); ++k)
        o.subtitles.*kSubtitleOutputs[k].chosen = cbSubFormat_[k]->isChecked();
    o.ocrLanguage = eOcrLang_->text().toStdString();
}

void MainWindow::pullSubtitleFormat(QCheckBox* box) {
    const bool any = std::ranges::any_of(cbSubFormat_, [](const QCheckBox* b) { return b->isChecked(); });
    if (!any) {
        const QSignalBlocker block(box);
        box->setChecked(true);
    }
    pullOptions();
}

void MainWindow::pullBoxTick(QCheckBox* box) {
    const auto find = [box](auto& widgets, auto& boxes) {
        for (size_t k = 0; k < widgets.size(); ++k)
            if (widgets[k] == box) boxes[k].ticked = box->isChecked();
    };
    find(cbVideo_, model_.boxes.video);
    find(cbAudio_, model_.boxes.audio);
    find(cbSub_, model_.boxes.sub);
    model_.updateRunButtons();
    pushState();
}

}  // namespace quarnel
