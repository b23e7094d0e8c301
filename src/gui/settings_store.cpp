// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings_store.h"

#include <QDateTime>

#include "app/subtitle_formats.h"
#include "formats/ocr/ocr_languages.h"
#include "io/files.h"
#include "runs/subtitle_outputs.h"

namespace quarnel {
namespace {

const char* kindName(SettingKind kind) {
    switch (kind) {
        case SettingKind::Integer:
            return "an integer";
        case SettingKind::Boolean:
            return "a boolean (0 or 1)";
        case SettingKind::Text:
            return "a text";
        case SettingKind::DateTime:
            return "a date and time";
    }
    return "";
}

// One reading pass: each read leaves its target alone when the value is absent and
// records the first value of the wrong kind, after which nothing more is read.
class Reader {
  public:
    explicit Reader(QSettings& store) : store_(store) {}

    void integer(const char* name, int& into) {
        const QVariant v = take(name);
        if (!v.isValid()) return;
        bool ok = false;
        const int value = v.toInt(&ok);
        if (ok)
            into = value;
        else
            fail(name, SettingKind::Integer);
    }
    void boolean(const char* name, bool& into) {
        const QVariant v = take(name);
        if (!v.isValid()) return;
        bool ok = false;
        const int value = v.toInt(&ok);
        if (ok)
            into = value != 0;
        else
            fail(name, SettingKind::Boolean);
    }
    void text(const char* name, std::string& into) {
        const QVariant v = take(name);
        if (!v.isValid()) return;
        if (v.canConvert<QString>() && v.typeId() != QMetaType::QStringList)
            into = v.toString().toStdString();
        else
            fail(name, SettingKind::Text);
    }
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

  private:
    QSettings& store_;
    std::string error_;

    QVariant take(const char* name) {
        if (failed() || !store_.contains(name)) return {};
        return store_.value(name);
    }
    void fail(const char* name, SettingKind kind) {
        error_ = std::string("Invalid data type for \"") + name + "\" in the settings: " + kindName(kind) +
                 " is expected.";
    }
};

}  // namespace

double dayCountNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 days = QDate(1899, 12, 30).daysTo(now.date());
    return double(days) + double(now.time().msecsSinceStartOfDay()) / 86400000.0;
}

std::string loadSettings(QSettings& store, StoredWindow& window, Options& options) {
    if (store.allKeys().isEmpty()) return {};  // the first run: every default holds
    using namespace settings;
    Reader r(store);
    r.integer(kWidth, window.width);
    r.integer(kHeight, window.height);
    r.integer(kTop, window.top);
    r.integer(kLeft, window.left);
    r.integer(kWindowState, window.windowState);
    r.integer(kTreeWidth, window.treeWidth);
    r.text(kAudioExt, options.audioExtension);
    r.text(kVideoExt, options.videoExtension);
    r.text(kSubExt, options.subExtension);
    r.text(kWorkdir, options.outputDir);
    r.text(kEVOdir, window.evoDir);
    r.text(kXPLdir, window.xplDir);
    r.boolean(kContinue, options.continueSequence);
    r.boolean(kFastCheck, options.fastCheck);
    r.boolean(kCountFrames, options.countFrames);
    r.boolean(kDetails, options.details);
    r.boolean(kAutoRead, options.autoRead);
    bool autoDemux = options.autoProcess == AutoProcess::Demux;
    bool autoRebuild = options.autoProcess == AutoProcess::Rebuild;
    r.boolean(kAutoDemux, autoDemux);
    r.boolean(kAutoRebuild, autoRebuild);
    // One radio group: "Auto Rebuild" is set after "Auto Demux" and wins when both are stored.
    options.autoProcess = autoRebuild ? AutoProcess::Rebuild
                          : autoDemux ? AutoProcess::Demux
                                      : AutoProcess::None;
    r.boolean(kAutoClear, options.autoClear);
    r.integer(kFastSize, options.fastCheckMiB);
    r.boolean(kAdvPck, options.keepAdvancedPacks);
    r.boolean(kAdjustPTS, options.adjustPts);
    r.boolean(kReadVTI, options.readVti);
    std::string subFormats;
    r.text(kSubFormats, subFormats);
    r.boolean(kLpcmWav, options.lpcmWav);
    r.boolean(kSplitTracks, options.splitTracks);
    r.boolean(kAskReplace, options.askBeforeReplacing);
    r.text(kOcrLanguage, options.ocrLanguage);
    if (!options.ocrLanguage.empty() && !validOcrLanguage(options.ocrLanguage)) options.ocrLanguage.clear();
    // A list that names no format this build writes keeps the default.
    if (!subFormats.empty()) {
        try {
            options.subtitles = parseSubtitleFormats(subFormats);
        } catch (const QuarnelError&) {
        }
    }
    r.integer(kPage, window.page);
    if (r.failed()) return r.error();

    int counter = window.counter;
    r.integer(kCounter, counter);
    if (r.failed()) return r.error();
    if (store.contains(kCounter)) window.counter = counter + 1;
    store.setValue(kCounter, window.counter);
    store.sync();
    r.text(kSerial, window.serial);
    r.text(kVersion, window.version);
    return r.error();
}

void saveSettings(QSettings& store, const StoredWindow& window, const Options& options) {
    using namespace settings;
    const auto flag = [](bool b) { return b ? 1 : 0; };
    store.setValue(kWindowState, window.windowState);
    if (window.windowState != int(WindowShow::Maximised)) {
        store.setValue(kTop, window.top);
        store.setValue(kLeft, window.left);
        store.setValue(kWidth, window.width);
        store.setValue(kHeight, window.height);
    }
    store.setValue(kTreeWidth, window.treeWidth);
    store.setValue(kAudioExt, QString::fromStdString(options.audioExtension));
    store.setValue(kVideoExt, QString::fromStdString(options.videoExtension));
    store.setValue(kSubExt, QString::fromStdString(options.subExtension));
    store.setValue(kWorkdir, QString::fromStdString(options.outputDir));
    store.setValue(kEVOdir, QString::fromStdString(window.evoDir));
    store.setValue(kXPLdir, QString::fromStdString(window.xplDir));
    store.setValue(kContinue, flag(options.continueSequence));
    store.setValue(kFastCheck, flag(options.fastCheck));
    store.setValue(kCountFrames, flag(options.countFrames));
    store.setValue(kDetails, flag(options.details));
    store.setValue(kAutoRead, flag(options.autoRead));
    store.setValue(kAutoDemux, flag(options.autoProcess == AutoProcess::Demux));
    store.setValue(kAutoRebuild, flag(options.autoProcess == AutoProcess::Rebuild));
    store.setValue(kAutoClear, flag(options.autoClear));
    store.setValue(kFastSize, options.fastCheckMiB);
    store.setValue(kAdvPck, flag(options.keepAdvancedPacks));
    store.setValue(kAdjustPTS, flag(options.adjustPts));
    store.setValue(kReadVTI, flag(options.readVti));
    store.setValue(kSubFormats, QString::fromStdString(subtitleFormatList(options.subtitles)));
    store.setValue(kLpcmWav, flag(options.lpcmWav));
    store.setValue(kSplitTracks, flag(options.splitTracks));
    store.setValue(kAskReplace, flag(options.askBeforeReplacing));
    store.setValue(kOcrLanguage, QString::fromStdString(options.ocrLanguage));
    store.setValue(kPage, window.page);
    store.setValue(kCounter, window.counter);
    store.setValue(kVersion, kStoredVersion);
    if (!store.contains(kInstall)) store.setValue(kInstall, dayCountNow());
    store.sync();
}

}  // namespace quarnel
