// SPDX-License-Identifier: GPL-3.0-or-later
// The window's widgets: the source and playlist rows above the pages, and one builder per
// page. Every control carries the name the rest of the program knows it by.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formats/ocr/ocr_engine.h"
#include "formats/ocr/ocr_languages.h"
#include "gui/log_pane.h"
#include "gui/logo.h"
#include "gui/main_window.h"

namespace quarnel {
namespace {

constexpr int kAboutLogoTop = 8;

// Short enough to be read whole at the window's default size.
constexpr const char* kAboutText =
    "<p><b>Quarnel</b> reads the program streams of HD DVD and DVD discs (EVO, VOB and AOB files). "
    "<b>Read EVO</b> reports every video, audio and subpicture stream and offers them as tick boxes; "
    "<b>Demux</b> writes each ticked stream to a file of its own, <b>Rebuild</b> a new EVO holding only "
    "the ticked streams. <b>Read XPL</b> reads the disc's playlist with its titles and chapters, "
    "<b>Read VTI</b> the title set information.</p>"
    "<p>Drop a file on the window or name it on the command line (<tt>quarnel FILE</tt>); for batch "
    "work there is <tt>quarnel-cli</tt>.</p>";

template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    return named(new QPushButton(QLatin1String(caption), parent), name);
}

QCheckBox* option(const char* name, const char* caption, QWidget* parent) {
    return named(new QCheckBox(QLatin1String(caption), parent), name);
}

QLineEdit* extension(const char* name, QWidget* parent) {
    auto* e = named(new QLineEdit(parent), name);
    e->setMaxLength(kMaxExtensionLength);
    e->setMaximumWidth(60);
    return e;
}

}  // namespace

QWidget* MainWindow::buildSourceRows() {
    auto* panel = new QWidget(this);
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(6, 6, 6, 2);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(3);
    eEVOfile_ = named(new QLineEdit(panel), "eEVOfile");
    eEVOfile_->setPlaceholderText(QStringLiteral("Type, select or drop an EVO, VOB or AOB file or a disc"));
    eXPLfile_ = named(new QLineEdit(panel), "eXPLfile");
    bbEVO_ = button("bbEVO", "...", panel);
    bbXPL_ = button("bbXPL", "...", panel);
    for (QPushButton* b : {bbEVO_, bbXPL_}) b->setFixedWidth(28);
    bbEVO_->setToolTip(QStringLiteral("Choose the EVO file to demux"));
    bbXPL_->setToolTip(QStringLiteral("Choose the playlist VPLST000.XPL"));
    bReadEVO_ = button("bReadEVO", "Read &EVO", panel);
    bReadEVO_->setDefault(true);
    bReadXPL_ = button("bReadXPL", "Read &XPL", panel);
    bDemux_ = button("bDemux", "&Demux", panel);
    bRebuild_ = button("bRebuild", "Re&build", panel);
    bCancel_ = button("bCancel", "&Cancel", panel);
    bMakeMkv_ = button("bMakeMkv", "Make &MKV", panel);
    bMakeMkv_->setToolTip(
        QStringLiteral("Demux the ticked streams and mux them with mkvmerge into one MKV, "
                       "named and timed from the playlist"));
    auto* evoLabel = new QLabel(QStringLiteral("EV&O file:"), panel);
    evoLabel->setBuddy(eEVOfile_);
    auto* xplLabel = new QLabel(QStringLiteral("X&PL file:"), panel);
    xplLabel->setBuddy(eXPLfile_);
    g->addWidget(evoLabel, 0, 0);
    g->addWidget(eEVOfile_, 0, 1);
    g->addWidget(bbEVO_, 0, 2);
    g->addWidget(bReadEVO_, 0, 3);
    g->addWidget(bDemux_, 0, 4);
    g->addWidget(bCancel_, 0, 5);
    g->addWidget(xplLabel, 1, 0);
    g->addWidget(eXPLfile_, 1, 1);
    g->addWidget(bbXPL_, 1, 2);
    g->addWidget(bReadXPL_, 1, 3);
    g->addWidget(bRebuild_, 1, 4);
    g->addWidget(bMakeMkv_, 1, 5);
    g->setColumnStretch(1, 1);
    return panel;
}

QWidget* MainWindow::buildStatusPage() {
    auto* page = named(new QWidget, "tsStatus");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);
    reMessage_ = named(new QTextEdit(page), "reMessage");
    reMessage_->setReadOnly(true);
    reMessage_->setFont(baseLogFont());
    reMessage_->document()->setDefaultFont(baseLogFont());
    reMessage_->setLineWrapMode(QTextEdit::NoWrap);
    reMessage_->setUndoRedoEnabled(false);
    v->addWidget(reMessage_, 1);
    auto* row = new QHBoxLayout;
    bCheckNew_ = button("bCheckNew", "Check new version", page);
    bCheckNew_->hide();
    bClear_ = button("bClear", "C&lear", page);
    row->addWidget(bCheckNew_);
    row->addStretch();
    row->addWidget(bClear_);
    v->addLayout(row);
    return page;
}

QCheckBox* MainWindow::streamBox(const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    return box;
}

QWidget* MainWindow::buildVideoPage() {
    auto* page = named(new QWidget, "tsVideo");
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    // The titles of a disc, shown only while a disc is the source: a click or Enter chooses one.
    titleRow_ = new QWidget(page);
    auto* row = new QVBoxLayout(titleRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* label = new QLabel(QStringLiteral("&Titles of the disc:"), titleRow_);
    tvTitles_ = named(new QTreeWidget(titleRow_), "tvTitles");
    label->setBuddy(tvTitles_);
    tvTitles_->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Name"), QStringLiteral("Duration"),
                                QStringLiteral("Chapters"), QStringLiteral("Tracks"),
                                QStringLiteral("Angles"), QString()});
    tvTitles_->setRootIsDecorated(false);
    tvTitles_->setUniformRowHeights(true);
    tvTitles_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvTitles_->setMaximumHeight(6 * tvTitles_->fontMetrics().height() + 24);
    row->addWidget(label);
    row->addWidget(tvTitles_);
    titleRow_->hide();
    outer->addWidget(titleRow_);
    auto* h = new QHBoxLayout;
    outer->addLayout(h, 1);
    auto* video = new QGroupBox(QStringLiteral("Video"), page);
    auto* vv = new QVBoxLayout(video);
    vv->setSpacing(2);
    for (int k = 0; k < kVideoBoxes; ++k) {
        cbVideo_[size_t(k)] = streamBox(QStringLiteral("cbVideo%1").arg(k), video);
        vv->addWidget(cbVideo_[size_t(k)]);
        if (k >= kUsedVideoBoxes) cbVideo_[size_t(k)]->hide();  // video slots 2 to 7 are never used
    }
    vv->addStretch();
    auto* audio = new QGroupBox(QStringLiteral("Audio"), page);
    auto* ag = new QGridLayout(audio);
    ag->setVerticalSpacing(2);
    constexpr int kRows = kAudioBoxes / 2;
    for (int k = 0; k < kAudioBoxes; ++k) {
        cbAudio_[size_t(k)] = streamBox(QStringLiteral("cbAudio%1").arg(k, 2, 10, QLatin1Char('0')), audio);
        ag->addWidget(cbAudio_[size_t(k)], k % kRows, k / kRows);
    }
    ag->setRowStretch(kRows, 1);
    h->addWidget(video, 2);
    h->addWidget(audio, 5);
    return page;
}

QWidget* MainWindow::buildSubpicturePage() {
    auto* page = named(new QWidget, "tsSubpicture");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 6, 8, 6);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(2);
    constexpr int kRows = kSubBoxes / 4;
    for (int k = 0; k < kSubBoxes; ++k) {
        cbSub_[size_t(k)] = streamBox(QStringLiteral("cbSub%1").arg(k, 2, 10, QLatin1Char('0')), page);
        g->addWidget(cbSub_[size_t(k)], k % kRows, k / kRows);
    }
    v->addLayout(g);
    v->addStretch();
    auto* formats = new QGroupBox(QStringLiteral("Demux writes each ticked subpicture stream as"), page);
    auto* fh = new QHBoxLayout(formats);
    fh->setContentsMargins(6, 2, 6, 2);
    for (size_t k = 0; k < kSubtitleOutputs.size(); ++k) {
        const SubtitleOutput& row = kSubtitleOutputs[k];
        QString caption = QString::fromUtf8(row.caption.data(), qsizetype(row.caption.size()));
        const QString name = QStringLiteral("cbSub") + caption.at(0).toUpper() + caption.mid(1);
        QCheckBox* box = option(name.toUtf8().constData(), caption.toUtf8().constData(), formats);
        box->setToolTip(QString::fromUtf8(row.help.data(), qsizetype(row.help.size())));
        if (row.chosen == &SubtitleFormats::srt && !ocrAvailable()) {
            box->setEnabled(false);
            box->setToolTip(QString::fromUtf8(ocrUnavailableReason()));
        }
        cbSubFormat_[k] = box;
        fh->addWidget(box);
    }
    fh->addSpacing(12);
    fh->addWidget(new QLabel(QStringLiteral("OCR language"), formats));
    eOcrLang_ = named(new QLineEdit(formats), "eOcrLang");
    eOcrLang_->setMaxLength(16);
    eOcrLang_->setMaximumWidth(80);
    eOcrLang_->setPlaceholderText(QStringLiteral("playlist"));
    eOcrLang_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9_]*")), eOcrLang_));
    eOcrLang_->setToolTip(
        QStringLiteral("The language SRT text is read in: eng, fra, deu, ... (or en, fr, de, ...). "
                       "Empty: the stream's language in the playlist, else eng."));
    eOcrLang_->setEnabled(ocrAvailable());
    fh->addWidget(eOcrLang_);
    fh->addStretch();
    v->addWidget(formats);
    return page;
}

QWidget* MainWindow::buildXplPage() {
    auto* page = named(new QWidget, "tsXPL");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);
    xplSplitter_ = new QSplitter(Qt::Horizontal, page);
    tvXPL_ = named(new QTreeWidget(xplSplitter_), "tvXPL");
    tvXPL_->setHeaderHidden(true);
    mXPL_ = named(new QPlainTextEdit(xplSplitter_), "mXPL");
    mXPL_->setReadOnly(true);
    mXPL_->setLineWrapMode(QPlainTextEdit::NoWrap);
    xplSplitter_->addWidget(tvXPL_);
    xplSplitter_->addWidget(mXPL_);
    xplSplitter_->setStretchFactor(0, 0);
    xplSplitter_->setStretchFactor(1, 1);
    xplSplitter_->installEventFilter(this);
    v->addWidget(xplSplitter_, 1);
    // The chapter list that "Write chapters" exports; kept, not shown.
    mChapter_ = named(new QPlainTextEdit(page), "mChapter");
    mChapter_->hide();
    auto* row = new QHBoxLayout;
    bWriteChaps_ = button("bWriteChaps", "&Write chapters", page);
    row->addStretch();
    row->addWidget(bWriteChaps_);
    v->addLayout(row);
    return page;
}

QWidget* MainWindow::buildOptionsPage() {
    auto* page = named(new QWidget, "tsOption");
    auto* g = new QGridLayout(page);
    g->setContentsMargins(4, 4, 4, 4);

    auto* reading = new QGroupBox(QStringLiteral("Reading"), page);
    auto* rv = new QVBoxLayout(reading);
    rv->setSpacing(1);
    cbContinue_ = option("cbContinue", "Continue with the next EVO", reading);
    cbFastCheck_ = option("cbFastCheck", "Fast EVO checking", reading);
    ieFastSize_ = named(new QSpinBox(reading), "ieFastSize");
    ieFastSize_->setRange(0, kMaxFastCheckMiB);
    ieFastSize_->setSuffix(QStringLiteral(" MB"));
    ieFastSize_->setToolTip(QStringLiteral("A fast check reads this much of each file"));
    auto* fast = new QHBoxLayout;
    fast->addWidget(cbFastCheck_);
    fast->addWidget(ieFastSize_);
    fast->addStretch();
    cbCountFr_ = option("cbCountFr", "Count frames", reading);
    cbDetails_ = option("cbDetails", "Detailed info", reading);
    cbAutoRead_ = option("cbAutoRead", "Auto read", reading);
    cbAutoRead_->setToolTip(QStringLiteral("Read a file as soon as it is chosen or dropped"));
    cbAutoClear_ = option("cbAutoClear", "Auto clear", reading);
    cbAutoClear_->setToolTip(QStringLiteral("Clear the message log when a Read starts"));
    cbReadVTI_ = option("cbReadVTI", "Read .VTI file", reading);
    rv->addWidget(cbContinue_);
    rv->addLayout(fast);
    for (QCheckBox* b : {cbCountFr_, cbDetails_, cbAutoRead_, cbAutoClear_, cbReadVTI_}) rv->addWidget(b);
    rv->addStretch();

    auto* after = new QGroupBox(QStringLiteral("After reading"), page);
    auto* av = new QVBoxLayout(after);
    av->setSpacing(1);
    rbNoAuto_ = named(new QRadioButton(QStringLiteral("No auto process"), after), "rbNoAuto");
    rbAutoDemux_ = named(new QRadioButton(QStringLiteral("Auto Demux"), after), "rbAutoDemux");
    rbAutoRebuild_ = named(new QRadioButton(QStringLiteral("Auto Rebuild"), after), "rbAutoRebuild");
    for (QRadioButton* b : {rbNoAuto_, rbAutoDemux_, rbAutoRebuild_}) av->addWidget(b);
    av->addStretch();

    auto* rebuild = new QGroupBox(QStringLiteral("Rebuild"), page);
    auto* bv = new QVBoxLayout(rebuild);
    bv->setSpacing(1);
    cbRBAdvanced_ = option("cbRBAdvanced", "Rebuild ADV_PCKs", rebuild);
    cbAdjustPTS_ = option("cbAdjustPTS", "Adjust PTS of the EVOs to follow", rebuild);
    bv->addWidget(cbRBAdvanced_);
    bv->addWidget(cbAdjustPTS_);
    bv->addStretch();

    auto* output = new QGroupBox(QStringLiteral("Output"), page);
    auto* og = new QGridLayout(output);
    og->setVerticalSpacing(2);
    eVideoExt_ = extension("eVideoExt", output);
    eAudioExt_ = extension("eAudioExt", output);
    eSubExt_ = extension("eSubExt", output);
    eWorkdir_ = named(new QLineEdit(output), "eWorkdir");
    // Empty stands for the folder the window was started in: the placeholder shows which.
    eWorkdir_->setPlaceholderText(QStringLiteral("the current folder, %1").arg(QDir::currentPath()));
    bbWorkdir_ = button("bbWorkdir", "...", output);
    bbWorkdir_->setFixedWidth(28);
    bbWorkdir_->setToolTip(QStringLiteral("Select a directory"));
    og->addWidget(new QLabel(QStringLiteral("Output folder"), output), 0, 0);
    og->addWidget(eWorkdir_, 0, 1);
    og->addWidget(bbWorkdir_, 0, 2);
    // Each extension label stays beside its field however wide the window is.
    auto* extensions = new QHBoxLayout;
    const std::pair<const char*, QLineEdit*> extensionRows[] = {
        {"Video ext.", eVideoExt_}, {"Audio ext.", eAudioExt_}, {"Subpicture ext.", eSubExt_}};
    for (const auto& [caption, edit] : extensionRows) {
        extensions->addWidget(new QLabel(QLatin1String(caption), output));
        extensions->addWidget(edit);
        extensions->addSpacing(12);
    }
    // Two Demux choices for audio share the row: LPCM as WAV, a file per DVD-Audio track.
    cbLpcmWav_ = option("cbLpcmWav", "LPCM as WAV", output);
    cbLpcmWav_->setToolTip(
        QStringLiteral("A Demux writes LPCM audio as WAV files a player takes, not raw samples"));
    cbSplitTracks_ = option("cbSplitTracks", "Tracks", output);
    cbSplitTracks_->setToolTip(
        QStringLiteral("A Demux of an AOB writes a file per track of its ATS_nn_0.IFO"));
    extensions->addStretch();
    extensions->addWidget(cbLpcmWav_);
    extensions->addWidget(cbSplitTracks_);
    og->addLayout(extensions, 1, 0, 1, 3);
    cbAskReplace_ = option("cbAskReplace", "Ask before replacing outputs", output);
    cbAskReplace_->setToolTip(
        QStringLiteral("When files of the outputs' names are there: replace them, keep both (the new ones "
                       "numbered NAME (2).EXT) or write nothing"));
    og->addWidget(cbAskReplace_, 2, 0, 1, 3);
    og->setColumnStretch(1, 1);

    // The groups never shrink below their rows, so that no two options overlap.
    for (QGroupBox* group : {reading, after, rebuild, output}) {
        group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
        group->layout()->setContentsMargins(6, 2, 6, 2);
    }
    g->addWidget(reading, 0, 0, 2, 1);
    g->addWidget(after, 0, 1);
    g->addWidget(rebuild, 1, 1);
    g->addWidget(output, 2, 0, 1, 2);
    g->setRowStretch(3, 1);
    return page;
}

QWidget* MainWindow::buildAboutPage() {
    tsAbout_ = named(new QWidget, "tsAbout");
    auto* v = new QVBoxLayout(tsAbout_);
    v->setContentsMargins(8, kAboutLogoTop + kLogoHeight + 8, 8, 8);
    imLogo_ = named(new QLabel(tsAbout_), "imLogo");
    imLogo_->setPixmap(paintLogo());
    imLogo_->setFixedSize(kLogoWidth, kLogoHeight);
    imLogo_->move(0, kAboutLogoTop);
    auto* text = new QTextBrowser(tsAbout_);
    text->setHtml(QString::fromLatin1(kAboutText) +
                  QStringLiteral("<p>Version %1.</p>").arg(QLatin1String(kStoredVersion)));
    text->setFrameShape(QFrame::NoFrame);
    v->addWidget(text);
    return tsAbout_;
}

}  // namespace quarnel
