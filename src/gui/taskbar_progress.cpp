// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/taskbar_progress.h"

#include <QGuiApplication>
#include <QVariantMap>
#include <algorithm>

#ifdef QUARNEL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace quarnel {
namespace {

void send([[maybe_unused]] const QVariantMap& properties) {
#ifdef QUARNEL_HAVE_DBUS
    const QString entry = QGuiApplication::desktopFileName();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (entry.isEmpty() || !bus.isConnected()) return;
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/quarnel"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << QStringLiteral("application://%1.desktop").arg(entry) << properties;
    bus.send(update);
#endif
}

}  // namespace

void TaskbarProgress::set(uint64_t done, uint64_t total) {
    const double fraction = total == 0 ? 0.0 : double(std::min(done, total)) / double(total);
    send({{QStringLiteral("progress"), fraction}, {QStringLiteral("progress-visible"), true}});
    shown_ = true;
}

void TaskbarProgress::clear() {
    if (!shown_) return;
    send({{QStringLiteral("progress-visible"), false}});
    shown_ = false;
}

}  // namespace quarnel
