// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store on QSettings: the options, the window geometry, the last folders and
// the run counter, read once at start-up and written once at close.
#pragma once

#include <QSettings>
#include <string>

#include "app/options.h"
#include "app/settings_names.h"

namespace quarnel {

// Reads every present value in the store's reading order into `window` and `options`;
// absent values keep their defaults. Then counts this run and writes the counter at once.
// A value of the wrong kind stops the reading there (the values after it keep their
// defaults, the counter is left alone) and its error text is returned; "" otherwise.
std::string loadSettings(QSettings& store, StoredWindow& window, Options& options);

// Writes every value; a maximised window keeps the bounds stored earlier. "Install" is
// written only when it is absent.
void saveSettings(QSettings& store, const StoredWindow& window, const Options& options);

// The local date and time as a day count since 30 December 1899.
double dayCountNow();

}  // namespace quarnel
