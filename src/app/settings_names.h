// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store: value names, kinds and defaults, and the values it holds
// besides the options (window geometry, run counter, installation identifier).
#pragma once

#include <cstdint>
#include <string>

#include "app/options.h"
#include "quarnel_version.h"

namespace quarnel {

constexpr const char* kSettingsOrganization = "Tovarin Software";
constexpr const char* kSettingsApplication = "Quarnel";
// The version written as "Version": the running program's version, set by the build.
constexpr const char* kStoredVersion = QUARNEL_VERSION;

// Integers are 32-bit; booleans are integers (0 false, any other value true); the one
// date-time is a day count since 30 December 1899, the fraction being the local time of day.
enum class SettingKind { Integer, Boolean, Text, DateTime };

// A value that is absent keeps its default: the option's (Options) or the window's
// (StoredWindow).
struct SettingName {
    const char* name;
    SettingKind kind;
};

namespace settings {
constexpr const char* kWindowState = "WindowState";
constexpr const char* kTop = "Top";
constexpr const char* kLeft = "Left";
constexpr const char* kWidth = "Width";
constexpr const char* kHeight = "Height";
constexpr const char* kTreeWidth = "TreeWidth";
constexpr const char* kAudioExt = "AudioExt";
constexpr const char* kVideoExt = "VideoExt";
constexpr const char* kSubExt = "SubExt";
constexpr const char* kWorkdir = "Workdir";
constexpr const char* kEVOdir = "EVOdir";
constexpr const char* kXPLdir = "XPLdir";
constexpr const char* kContinue = "Continue";
constexpr const char* kFastCheck = "FastCheck";
constexpr const char* kCountFrames = "CountFrames";
constexpr const char* kDetails = "Details";
constexpr const char* kAutoRead = "AutoRead";
constexpr const char* kAutoDemux = "AutoDemux";
constexpr const char* kAutoRebuild = "AutoRebuild";
constexpr const char* kAutoClear = "AutoClear";
constexpr const char* kFastSize = "FastSize";
constexpr const char* kAdvPck = "ADV_PCK";
constexpr const char* kAdjustPTS = "AdjustPTS";
constexpr const char* kReadVTI = "ReadVTI";
constexpr const char* kSubFormats = "SubFormats";  // the subtitle formats of a Demux: "sup,pgs"
constexpr const char* kLpcmWav = "LpcmWav";
constexpr const char* kSplitTracks = "SplitTracks";
constexpr const char* kAskReplace = "AskBeforeReplacing";
constexpr const char* kOcrLanguage = "OcrLanguage";  // the language srt text is read in; "" = the stream's
constexpr const char* kPage = "Page";                // the window's page at close, 0 "Status"
constexpr const char* kCounter = "Counter";
constexpr const char* kVersion = "Version";
constexpr const char* kInstall = "Install";
constexpr const char* kSerial = "Serial";
}  // namespace settings

// Every value of the store, in the order in which they are written at close.
constexpr SettingName kSettingsTable[] = {
    {settings::kWindowState, SettingKind::Integer}, {settings::kTop, SettingKind::Integer},
    {settings::kLeft, SettingKind::Integer},        {settings::kWidth, SettingKind::Integer},
    {settings::kHeight, SettingKind::Integer},      {settings::kTreeWidth, SettingKind::Integer},
    {settings::kAudioExt, SettingKind::Text},       {settings::kVideoExt, SettingKind::Text},
    {settings::kSubExt, SettingKind::Text},         {settings::kWorkdir, SettingKind::Text},
    {settings::kEVOdir, SettingKind::Text},         {settings::kXPLdir, SettingKind::Text},
    {settings::kContinue, SettingKind::Boolean},    {settings::kFastCheck, SettingKind::Boolean},
    {settings::kCountFrames, SettingKind::Boolean}, {settings::kDetails, SettingKind::Boolean},
    {settings::kAutoRead, SettingKind::Boolean},    {settings::kAutoDemux, SettingKind::Boolean},
    {settings::kAutoRebuild, SettingKind::Boolean}, {settings::kAutoClear, SettingKind::Boolean},
    {settings::kFastSize, SettingKind::Integer},    {settings::kAdvPck, SettingKind::Boolean},
    {settings::kAdjustPTS, SettingKind::Boolean},   {settings::kReadVTI, SettingKind::Boolean},
    {settings::kSubFormats, SettingKind::Text},     {settings::kLpcmWav, SettingKind::Boolean},
    {settings::kSplitTracks, SettingKind::Boolean}, {settings::kOcrLanguage, SettingKind::Text},
    {settings::kPage, SettingKind::Integer},        {settings::kCounter, SettingKind::Integer},
    {settings::kVersion, SettingKind::Text},        {settings::kInstall, SettingKind::DateTime},
    {settings::kSerial, SettingKind::Text},
};

constexpr int kDefaultTop = 326;
constexpr int kDefaultLeft = 265;
constexpr int kDefaultClientWidth = 653;
constexpr int kDefaultClientHeight = 341;
constexpr int kMinOuterWidth = 661;
constexpr int kMinOuterHeight = 375;
constexpr int kDefaultTreeWidth = 96;

enum class WindowShow { Normal = 0, Minimised = 1, Maximised = 2 };

// Everything the store holds besides the options. A width or height of 0 means "absent":
// the window keeps its default client size.
struct StoredWindow {
    int windowState = 0;
    int top = kDefaultTop;
    int left = kDefaultLeft;
    int width = 0;
    int height = 0;
    int treeWidth = kDefaultTreeWidth;
    int page = 0;  // the page the window showed at close
    std::string evoDir;
    std::string xplDir;
    int counter = 1;      // the run counter, 1 on the first run
    std::string serial;   // installation identifier, empty until the version check gives one
    std::string version;  // version that last wrote the store, empty when absent
};

}  // namespace quarnel
