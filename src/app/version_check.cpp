// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/version_check.h"

#include <cstdlib>

#include "io/file_sequence.h"

namespace quarnel {
namespace {

constexpr std::string_view kExeSuffix = ".exe";

bool contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// The name after the last folder separator of either kind, with trailing blanks and line ends cut.
std::string bareFileName(std::string_view name) {
    const size_t cut = name.find_last_of("/\\");
    if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
    while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') name.remove_suffix(1);
    for (const char c : name)
        if (static_cast<unsigned char>(c) < ' ') return {};
    if (name == "." || name == "..") return {};
    return std::string(name);
}

std::string request(std::string_view script, std::string_view key, std::string_view value, int counter) {
    return std::string(script) + "?" + std::string(key) + "=" + percentEncode(value) +
           "&ver=" + percentEncode(kRunningVersion) + "&cnt=" + std::to_string(counter);
}

}  // namespace

std::string updateServerBase() {
    const char* configured = std::getenv(kUpdateUrlVariable);
    std::string base = configured ? std::string(configured) : std::string(kUpdateServerBase);
    if (!base.empty() && base.back() != '/') base += '/';
    return base;
}

std::string percentEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '.' || b == '_' || b == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::string identifierRequestPath(int counter) {
    return request("getid.php", "sw", kSoftwareId, counter);
}

std::string versionReportPath(std::string_view serial, int counter) {
    return request("updver.php", "ser", serial, counter);
}

std::string versionQueryPath(std::string_view serial, int counter) {
    return request("chkver.php", "ser", serial, counter);
}

std::optional<VersionRecord> splitVersionRecord(std::string_view reply) {
    const size_t comma = reply.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const size_t semicolon = reply.find(';', comma + 1);
    if (semicolon == std::string_view::npos) return std::nullopt;
    std::string_view file = reply.substr(semicolon + 1);
    // Anything after ".exe" is not part of the name.
    const size_t exe = file.find(kExeSuffix);
    if (exe != std::string_view::npos) file = file.substr(0, exe + kExeSuffix.size());
    VersionRecord record{std::string(reply.substr(0, comma)),
                         std::string(reply.substr(comma + 1, semicolon - comma - 1)), bareFileName(file)};
    if (record.fileName.empty()) return std::nullopt;
    return record;
}

VersionOrder compareVersions(std::string_view newest, std::string_view running) {
    std::string current(running);
    if (!contains(current, 'b') && contains(newest, 'b')) current += 'z';
    const int order = std::string_view(newest).compare(current);
    if (order < 0) return VersionOrder::Older;
    if (order == 0) return VersionOrder::Same;
    return VersionOrder::Newer;
}

std::string_view versionKind(std::string_view newest) {
    return contains(newest, 'b') ? "beta version" : "release";
}

StartupExchange startupExchanges(UpdateTransport& net, const std::string& base, int counter,
                                 const std::optional<std::string>& storedSerial,
                                 const std::optional<std::string>& storedVersion) {
    StartupExchange result;
    if (storedSerial) {
        result.identifier = *storedSerial;
    } else if (!base.empty()) {
        const NetReply reply = net.getText(base + identifierRequestPath(counter));
        if (reply.ok) {
            result.identifier = std::string(kSoftwareId) + reply.text;
            result.storeSerial = !reply.text.empty();
        }
    }
    if (storedVersion && *storedVersion != kRunningVersion && !base.empty())
        net.getText(base + versionReportPath(result.identifier, counter));
    return result;
}

void checkNewVersion(MessageLog& log, Host& host, UpdateTransport& net, const SaveFileDialog& chooseFile,
                     const std::string& base, std::string_view serial, int counter) {
    log.log("Checking new version...");
    NetReply reply = net.getText(base + versionQueryPath(serial, counter));
    if (!reply.ok) {
        log.log("Network error: [re]" + reply.text + "[/re]");
        reply.text.clear();
    }
    const std::optional<VersionRecord> record =
        reply.text.empty() ? std::nullopt : splitVersionRecord(reply.text);
    if (!record) {
        log.log2("Version info not found.");
        return;
    }

    const std::string& file = record->fileName;
    switch (compareVersions(record->newest, kRunningVersion)) {
        case VersionOrder::Older:
            log.log2("Older version available only.");
            return;
        case VersionOrder::Same:
            log.log2("You are using the latest version of " + file + ".");
            return;
        case VersionOrder::Newer:
            break;
    }

    const std::string kind(versionKind(record->newest));
    const std::string named = withoutExtension(file) + " v" + record->newest;
    log.log("A new " + kind + " is available: [b]" + named + "[/b].");
    if (!host.askYesNo("A new " + kind + " is available.\nDo you want to download it?")) {
        log.log("");
        return;
    }
    const std::optional<std::string> target = chooseFile(file, "Save " + named + " as");
    if (!target) return;
    log.log("Downloading: " + *target);
    const NetReply done = net.download(base + record->path + file, *target);
    if (!done.ok) {
        host.showError(done.text);
        return;
    }
    log.log2("Download complete.");
}

}  // namespace quarnel
