// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/desktop_notice.h"

#include <QStringList>
#include <QVariantMap>

#ifdef QUARNEL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace quarnel {

void notifyDesktop([[maybe_unused]] const QString& summary, [[maybe_unused]] const QString& body) {
#ifdef QUARNEL_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    constexpr int kShownMs = 8000;
    notify << QStringLiteral("Quarnel") << uint(0) << QStringLiteral("quarnel") << summary << body
           << QStringList() << QVariantMap() << kShownMs;
    // Sent without waiting for an answer: a desktop without the service answers with an error
    // nobody needs to see.
    notify.setAutoStartService(false);
    bus.send(notify);
#endif
}

}  // namespace quarnel
