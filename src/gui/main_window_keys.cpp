// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: what Enter does. A focused push button takes Enter (and Space) itself; in a
// field Enter is the field's own (an edit's end of input, a list's choice) and runs nothing
// else; anywhere else Enter presses "Read EVO", the window's default button.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include "gui/main_window.h"

namespace quarnel {
namespace {

bool isField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w);
}

// The widget that takes the keys: an edit inside a spin box or combo box counts as that box.
const QWidget* keyOwner(const QWidget* focus) {
    for (const QWidget* w = focus; w; w = w->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w)) return w;
    return focus;
}

}  // namespace

bool MainWindow::enterPressesRead(const QWidget* focus) {
    const QWidget* owner = keyOwner(focus);
    return !owner || (!qobject_cast<const QPushButton*>(owner) && !isField(owner));
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && enterPressesRead(QApplication::focusWidget())) {
        if (bReadEVO_->isEnabled()) bReadEVO_->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::followFocus(QWidget* now) {
    // The default button's frame shows which button Enter presses.
    if (now && window() == now->window()) bReadEVO_->setDefault(enterPressesRead(now));
}

}  // namespace quarnel
