// The one place where model state and widgets meet: pushState shows the model in the
// widgets, pullOptions and pullBoxTick write the user's changes back.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>

#include "gui/tf_main.h"
#include "gui/vti_page.h"

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

void TfMain::pushState() {
    // While a run is active nothing that would start another one can be used.
    const bool idle = !model_.runActive();
    const Buttons& b = model_.buttons;
    eEVOfile_->setText(qs(model_.eEVOfile));
    eXPLfile_->setText(qs(model_.eXPLfile));
    bReadEVO_->setEnabled(b.bReadEVO && idle);
    bReadXPL_->setEnabled(b.bReadXPL && idle);
    bDemux_->setEnabled(b.bDemux && idle);
    bRebuild_->setEnabled(b.bRebuild && idle);
    bCancel_->setEnabled(b.bCancel);
    bbEVO_->setEnabled(b.bbEVO && idle);
    bbXPL_->setEnabled(b.bbXPL && idle);
    bWriteChaps_->setEnabled(b.bWriteChaps && idle);
    vtiPage_->bReadVTI->setEnabled(b.bReadVTI && idle);
    mirrorBoxes(cbVideo_, model_.boxes.video, idle);
    mirrorBoxes(cbAudio_, model_.boxes.audio, idle);
    mirrorBoxes(cbSub_, model_.boxes.sub, idle);
    pushXpl();
    vtiPage_->mirror(model_.vti);
}

void TfMain::pushXpl() {
    mirrorLines(mXPL_, model_.xpl.mXPL, shownXpl_);
    mirrorLines(mChapter_, model_.xpl.mChapter, shownChapters_);
    std::vector<std::string> tree = flatTree(model_.xpl.tvXPL);
    if (tree == shownTree_) return;
    shownTree_ = std::move(tree);
    tvXPL_->clear();
    for (const XplTreeNode& node : model_.xpl.tvXPL) {
        auto* top = new QTreeWidgetItem(tvXPL_, QStringList{qs(node.text)});
        for (const std::string& child : node.children) new QTreeWidgetItem(top, QStringList{qs(child)});
    }
    tvXPL_->expandAll();
}

void TfMain::pushOptions() {
    const Options& o = model_.opt;
    const std::pair<QCheckBox*, bool> flags[] = {
        {cbContinue_, o.cbContinue},     {cbFastCheck_, o.cbFastCheck}, {cbCountFr_, o.cbCountFr},
        {cbDetails_, o.cbDetails},       {cbAutoRead_, o.cbAutoRead},   {cbAutoClear_, o.cbAutoClear},
        {cbRBAdvanced_, o.cbRBAdvanced}, {cbAdjustPTS_, o.cbAdjustPTS}, {cbReadVTI_, o.cbReadVTI},
    };
    for (const auto& [box, value] : flags) {
        const QSignalBlocker block(box);
        box->setChecked(value);
    }
    const QSignalBlocker blockSize(ieFastSize_);
    ieFastSize_->setValue(o.ieFastSize);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_}) r->blockSignals(true);
    rbNoAuto_->setChecked(o.autoProcess == AutoProcess::None);
    rbAutoDemux_->setChecked(o.autoProcess == AutoProcess::Demux);
    rbAutoRebuild_->setChecked(o.autoProcess == AutoProcess::Rebuild);
    for (QRadioButton* r : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_}) r->blockSignals(false);
    const std::pair<QLineEdit*, const std::string*> texts[] = {{eVideoExt_, &o.eVideoExt},
                                                               {eAudioExt_, &o.eAudioExt},
                                                               {eSubExt_, &o.eSubExt},
                                                               {eWorkdir_, &o.eWorkdir}};
    for (const auto& [edit, value] : texts) {
        const QSignalBlocker block(edit);
        edit->setText(qs(*value));
    }
    cbFastCheckClick();
    pullOptions();  // the edits may have cut a stored text to their length
}

void TfMain::pullOptions() {
    Options& o = model_.opt;
    o.cbContinue = cbContinue_->isChecked();
    o.cbFastCheck = cbFastCheck_->isChecked();
    o.ieFastSize = ieFastSize_->value();
    o.cbCountFr = cbCountFr_->isChecked();
    o.cbDetails = cbDetails_->isChecked();
    o.cbAutoRead = cbAutoRead_->isChecked();
    o.cbAutoClear = cbAutoClear_->isChecked();
    o.autoProcess = rbAutoDemux_->isChecked()     ? AutoProcess::Demux
                    : rbAutoRebuild_->isChecked() ? AutoProcess::Rebuild
                                                  : AutoProcess::None;
    o.cbRBAdvanced = cbRBAdvanced_->isChecked();
    o.cbAdjustPTS = cbAdjustPTS_->isChecked();
    o.cbReadVTI = cbReadVTI_->isChecked();
    o.eVideoExt = eVideoExt_->text().toStdString();
    o.eAudioExt = eAudioExt_->text().toStdString();
    o.eSubExt = eSubExt_->text().toStdString();
    o.eWorkdir = eWorkdir_->text().toStdString();
}

void TfMain::pullBoxTick(QCheckBox* box) {
    const auto find = [box](auto& widgets, auto& boxes) {
        for (size_t k = 0; k < widgets.size(); ++k)
            if (widgets[k] == box) boxes[k].ticked = box->isChecked();
    };
    find(cbVideo_, model_.boxes.video);
    find(cbAudio_, model_.boxes.audio);
    find(cbSub_, model_.boxes.sub);
    model_.cbVideoClick();
    pushState();
}

}  // namespace quarnel
