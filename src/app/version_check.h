// SPDX-License-Identifier: GPL-3.0-or-later
// The exchanges with the update server: at start-up the installation identifier is obtained
// once and a change of version is reported; "Check new version" asks for the newest version and
// offers to download it. The network itself is behind UpdateTransport, so that the window brings
// a real HTTP client and the tests a recording one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "quarnel_version.h"
#include "report/host.h"
#include "report/message_log.h"

namespace quarnel {

constexpr std::string_view kRunningVersion = QUARNEL_VERSION;
// Names this program to the update server.
constexpr std::string_view kSoftwareId = "QRN";
// The update server's base address, ending in "/". Empty: no exchanges at all, and the
// "Check new version" button stays hidden. Packagers and tests set kUpdateUrlVariable instead.
constexpr std::string_view kUpdateServerBase = "";
// Environment variable whose value, when set (also to an empty text), replaces kUpdateServerBase.
constexpr const char* kUpdateUrlVariable = "QUARNEL_UPDATE_URL";

// The base address in effect, with a "/" added when it lacks one; "" when exchanges are off.
std::string updateServerBase();

// Request paths, relative to the base address; the inserted values are percent-encoded.
std::string identifierRequestPath(int counter);
std::string versionReportPath(std::string_view serial, int counter);
std::string versionQueryPath(std::string_view serial, int counter);
// Every byte but the unreserved ones (A-Z a-z 0-9 - . _ ~) as "%" and two upper-case hex digits.
std::string percentEncode(std::string_view value);

// The version query's reply "0.629,down/;prog.exe": newest version, download path, file name.
struct VersionRecord {
    std::string newest;
    std::string path;      // relative to the base address
    std::string fileName;  // a bare file name: no folders, whatever the server sent
};
// nullopt when the reply lacks the ",", the ";" or a usable file name.
std::optional<VersionRecord> splitVersionRecord(std::string_view reply);

enum class VersionOrder { Older, Same, Newer };
// Ordinal comparison of the newest version with the running one; a release ranks above the
// betas of its own number ("0.628b" < "0.628", which is compared as "0.628z").
VersionOrder compareVersions(std::string_view newest, std::string_view running);
// "beta version" when the version carries a "b", otherwise "release".
std::string_view versionKind(std::string_view newest);

// What a network exchange gave: the reply body, or the error text when it failed.
struct NetReply {
    bool ok = false;
    std::string text;
};

class UpdateTransport {
  public:
    virtual ~UpdateTransport() = default;
    // GET of the address; the body as text.
    virtual NetReply getText(const std::string& url) = 0;
    // GET of the address into the file at `path`. The file is created or replaced only when the
    // whole body has arrived; on failure an existing file stays as it was and nothing is left
    // behind. `text` is empty on success.
    virtual NetReply download(const std::string& url, const std::string& path) = 0;
};

// Start-up steps after the run counter: the identifier from the store or from the server, then
// the version report. Every failure is silent.
struct StartupExchange {
    std::string identifier;    // "" when none: "Check new version" stays hidden
    bool storeSerial = false;  // the identifier is new and belongs in the store as `Serial`
};
StartupExchange startupExchanges(UpdateTransport& net, const std::string& base, int counter,
                                 const std::optional<std::string>& storedSerial,
                                 const std::optional<std::string>& storedVersion);

// Whether "Check new version" is offered.
inline bool checkNewVisible(const std::string& identifier, const std::string& base) {
    return !identifier.empty() && !base.empty();
}

// The save dialog: the preset file name and the title; nullopt when the user cancels.
using SaveFileDialog =
    std::function<std::optional<std::string>(const std::string& fileName, const std::string& title)>;

// "Check new version": asks the server, reports, and on the user's Yes downloads the new
// program into the file the user chooses.
void checkNewVersion(MessageLog& log, Host& host, UpdateTransport& net, const SaveFileDialog& chooseFile,
                     const std::string& base, std::string_view serial, int counter);

}  // namespace quarnel
