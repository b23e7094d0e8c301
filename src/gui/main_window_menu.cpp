// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar and the keys that work from anywhere in the window: every menu entry presses the
// button it stands for, so it does what the button does and is usable exactly when the button is.
#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>

#include "gui/main_window.h"
#include "gui/page_control.h"
#include "gui/recent_sources.h"

namespace quarnel {

void MainWindow::buildMenuBar() {
    const auto entry = [this](QMenu* menu, const QString& text, QPushButton* button,
                              const QKeySequence& key = {}) {
        QAction* action = menu->addAction(text, button, &QPushButton::click);
        action->setShortcut(key);
        menuButtons_.push_back({action, button});
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    entry(file, QStringLiteral("&Open source…"), bbEVO_, QKeySequence::Open);
    openDiscAction_ = file->addAction(QStringLiteral("Open &disc…"), this, &MainWindow::chooseDisc);
    openDiscAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    recentMenu_ = file->addMenu(QStringLiteral("Open &recent"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    entry(file, QStringLiteral("Open &playlist…"), bbXPL_, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    entry(file, QStringLiteral("O&utput folder…"), bbWorkdir_);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);

    QMenu* run = menuBar()->addMenu(QStringLiteral("&Run"));
    entry(run, QStringLiteral("&Read"), bReadEVO_, QKeySequence(Qt::Key_F5));
    entry(run, QStringLiteral("&Demux"), bDemux_);
    entry(run, QStringLiteral("Re&build"), bRebuild_);
    entry(run, QStringLiteral("Make &MKV"), bMakeMkv_);
    run->addSeparator();
    entry(run, QStringLiteral("&Cancel"), bCancel_, QKeySequence(Qt::Key_Escape));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, [this] { PageControl_->setCurrentWidget(tsAbout_); });

    // The next and the previous page, wherever the focus is.
    const std::pair<QKeySequence, int> pageKeys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                                     {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                                                     {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
                                                     {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& [key, step] : pageKeys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, step] {
            const int pages = PageControl_->count();
            PageControl_->setCurrentIndex((PageControl_->currentIndex() + step + pages) % pages);
        });
    }

    // Tab follows the rows: the source row, the playlist row, then the run buttons and the pages.
    QWidget* const order[] = {eEVOfile_, bbEVO_,    bReadEVO_, eXPLfile_, bbXPL_,      bReadXPL_,
                              bDemux_,   bRebuild_, bMakeMkv_, bCancel_,  PageControl_};
    for (size_t k = 0; k + 1 < std::size(order); ++k) setTabOrder(order[k], order[k + 1]);
}

void MainWindow::pushMenuState() {
    for (const auto& [action, button] : menuButtons_) action->setEnabled(button->isEnabled());
}

void MainWindow::fillRecentMenu() {
    recentMenu_->clear();
    const QSettings store{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    const QStringList recent = recentSources(store);
    for (int k = 0; k < recent.size(); ++k) {
        const QString path = recent[k];
        QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg((k + 1) % 10).arg(path), this,
                                                 [this, path] { openPath(path, cbAutoRead_->isChecked()); });
        action->setEnabled(!model_.runActive);
    }
    if (recent.isEmpty()) recentMenu_->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

}  // namespace quarnel
