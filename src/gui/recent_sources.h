// SPDX-License-Identifier: GPL-3.0-or-later
// The sources opened last (files, disc folders and images), newest first, kept in the settings
// store apart from the values read at start-up, for File > Open recent.
#pragma once

#include <QSettings>
#include <QStringList>

namespace quarnel {

constexpr int kRecentSources = 10;

QStringList recentSources(const QSettings& store);
// Puts `path` first (once), keeping at most kRecentSources.
void rememberSource(QSettings& store, const QString& path);

}  // namespace quarnel
