// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/recent_sources.h"

#include <QFileInfo>

namespace quarnel {
namespace {

constexpr const char* kRecentKey = "RecentSources";

}  // namespace

QStringList recentSources(const QSettings& store) {
    return store.value(QLatin1String(kRecentKey)).toStringList();
}

void rememberSource(QSettings& store, const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = recentSources(store);
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kRecentSources) list.removeLast();
    store.setValue(QLatin1String(kRecentKey), list);
}

}  // namespace quarnel
