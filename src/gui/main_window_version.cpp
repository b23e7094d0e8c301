// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the version check: the start-up exchanges once the
// settings are read, and "Check new version" with its question, save dialog and
// download.
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>

#include "gui/main_window.h"

namespace quarnel {

void MainWindow::versionStartup(QSettings& store, bool storeRead) {
    const std::string base = updateServerBase();
    if (storeRead) {
        const auto known = [](const std::string& v) { return v.empty() ? std::nullopt : std::optional(v); };
        const StartupExchange exchange =
            startupExchanges(http_, base, stored_.counter, known(stored_.serial), known(stored_.version));
        stored_.serial = exchange.identifier;
        if (exchange.storeSerial) {
            store.setValue(settings::kSerial, QString::fromStdString(exchange.identifier));
            store.sync();
        }
    }
    bCheckNew_->setVisible(checkNewVisible(stored_.serial, base));
}

void MainWindow::askForNewVersion() {
    if (model_.runActive || closed_) return;
    const auto chooseFile = [this](const std::string& name,
                                   const std::string& title) -> std::optional<std::string> {
        QFileDialog sdDownfile(this, QString::fromStdString(title));
        sdDownfile.setObjectName(QStringLiteral("sdDownfile"));
        sdDownfile.setAcceptMode(QFileDialog::AcceptSave);
        sdDownfile.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
        sdDownfile.selectFile(QString::fromStdString(name));
        if (sdDownfile.exec() != QDialog::Accepted || sdDownfile.selectedFiles().isEmpty())
            return std::nullopt;
        return sdDownfile.selectedFiles().first().toStdString();
    };
    // A click that arrives while the check waits for the server must not start a
    // second one.
    bCheckNew_->setEnabled(false);
    MessageLog log(*this);
    checkNewVersion(log, *this, http_, chooseFile, updateServerBase(), stored_.serial, stored_.counter);
    bCheckNew_->setEnabled(true);
}

}  // namespace quarnel
