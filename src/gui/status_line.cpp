// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/status_line.h"

#include <QDesktopServices>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

namespace quarnel {
namespace {

constexpr int kProgressSteps = 1000;  // the bar counts in tenths of a percent

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    for (int k = 0; k < 2; ++k) {
        panels_[k] = new QLabel(this);
        panels_[k]->setObjectName(QStringLiteral("StatusPanel%1").arg(k));
        panels_[k]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        addWidget(panels_[k], k == 1 ? 1 : 0);
    }
    // The detail panel gives way to the progress bar: a long text is cut, its tooltip whole.
    panels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[1]->setMinimumWidth(0);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar"));
    progress_->setRange(0, kProgressSteps);
    progress_->setFormat(QStringLiteral("%p %"));
    progress_->setMaximumWidth(160);
    progress_->hide();
    addPermanentWidget(progress_);
    openFolder_ = new QPushButton(QStringLiteral("Open folder"), this);
    openFolder_->setObjectName(QStringLiteral("bOpenFolder"));
    openFolder_->setFlat(true);
    openFolder_->hide();
    addPermanentWidget(openFolder_);
    connect(openFolder_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder_)); });
}

void StatusLine::offerFolder(const QString& folder) {
    folder_ = folder;
    openFolder_->setToolTip(folder);
    openFolder_->setVisible(!folder.isEmpty());
}

void StatusLine::setProgress(uint64_t done, uint64_t total) {
    const uint64_t step = total == 0 ? 0 : std::min(done, total) * kProgressSteps / total;
    progress_->setValue(int(step));
    if (!progress_->isVisible()) progress_->show();
    repaint();
}

void StatusLine::endProgress() {
    progress_->hide();
    progress_->reset();
}

void StatusLine::setPanel(int panel, const QString& text) {
    QLabel* label = panels_[panel & 1];
    label->setText(text);
    const int frame = 2 * label->frameWidth() + label->margin() * 2;
    if ((panel & 1) == 0)
        label->setFixedWidth(fontMetrics().horizontalAdvance(text + QLatin1Char('a')) + frame);
    if ((panel & 1) == 1) setToolTip(text.mid(1));
    repaint();
}

}  // namespace quarnel
