// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real main window in tests: a private settings folder, source files in a
// temporary folder, dropped files, and message boxes answered as a user would.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "app/settings_names.h"
#include "fixtures/program_stream_builder.h"
#include "gui/main_window.h"

namespace quarnel::guitest {

// Keeps the settings of the tests in a folder of their own, emptied for each test.
inline void useTestSettings(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}
inline QSettings store() {
    return QSettings(QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication));
}
inline void clearStore() {
    QSettings s{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    s.clear();
    s.sync();
}

// A window shown and through its start-up steps.
inline std::unique_ptr<MainWindow> startWindow(const QStringList& arguments = {}) {
    auto w = std::make_unique<MainWindow>(arguments);
    w->show();
    if (!QTest::qWaitFor([&] { return w->started(); }, 5000)) return nullptr;
    return w;
}

template <class T>
T* child(MainWindow& w, const char* name) {
    return w.findChild<T*>(QLatin1String(name));
}

inline QString logText(MainWindow& w) {
    return child<QTextEdit>(w, "reMessage")->toPlainText();
}
inline QStringList logLines(MainWindow& w) {
    return logText(w).split(QLatin1Char('\n'));
}

// Drops the files on the window as the desktop would, then lets the window act on them.
inline bool dropFiles(MainWindow& w, const QStringList& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    const QPoint at = w.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    QTest::qWait(20);
    return drop.isAccepted();
}

// Answers every message box that opens while it lives, and keeps the texts it saw.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer) { start(); }
    // Clicks the button of that text (a question with answers of its own).
    explicit BoxAnswerer(QString buttonText) : answer_(QMessageBox::NoButton), text_(std::move(buttonText)) {
        start();
    }
    QStringList texts, titles, defaultTexts;
    QList<QMessageBox::StandardButton> defaults;

  private:
    QMessageBox::StandardButton answer_;
    QString text_;
    QTimer timer_;

    void start() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            texts << box->text();
            titles << box->windowTitle();
            defaults << box->standardButton(box->defaultButton());
            defaultTexts << (box->defaultButton() ? box->defaultButton()->text() : QString());
            QAbstractButton* b = text_.isEmpty() ? box->button(answer_) : nullptr;
            for (QAbstractButton* named : box->buttons())
                if (!text_.isEmpty() && named->text() == text_) b = named;
            if (!b) b = box->buttons().value(0);
            b->click();
        });
        timer_.start();
    }
};

inline QString writeSource(const QString& path, const fixtures::Bytes& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    fixtures::writeFile(path.toStdString(), bytes);
    return path;
}

}  // namespace quarnel::guitest
