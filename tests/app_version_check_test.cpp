// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/version_check.h"
#include "fixtures/recording_host.h"

namespace quarnel {
namespace {

using fixtures::RecordingHost;

// Answers by request path (the address without the base); records every address asked for.
class CannedTransport : public UpdateTransport {
  public:
    std::map<std::string, NetReply> replies;
    std::vector<std::string> requests;
    std::vector<std::pair<std::string, std::string>> downloads;  // address, file
    NetReply downloadResult{true, ""};

    NetReply getText(const std::string& url) override {
        requests.push_back(url);
        const auto it = replies.find(url);
        return it == replies.end() ? NetReply{false, "Connection refused"} : it->second;
    }
    NetReply download(const std::string& url, const std::string& path) override {
        downloads.emplace_back(url, path);
        return downloadResult;
    }
};

constexpr const char* kBase = "http://updates.test/q/";
const std::string kQuery = std::string(kBase) + "chkver.php?ser=QRN42&ver=0.628&cnt=3";

TEST(VersionCheckProtocol, RequestPathsCarryEncodedValues) {
    EXPECT_EQ(identifierRequestPath(7), "getid.php?sw=QRN&ver=0.628&cnt=7");
    EXPECT_EQ(versionReportPath("QRN 1&x=2", 12), "updver.php?ser=QRN%201%26x%3D2&ver=0.628&cnt=12");
    EXPECT_EQ(versionQueryPath("QRN42", 3), "chkver.php?ser=QRN42&ver=0.628&cnt=3");
    EXPECT_EQ(percentEncode("a-b.c_d~/\xC3\xA9"), "a-b.c_d~%2F%C3%A9");
}

TEST(VersionCheckProtocol, BaseAddressComesFromTheEnvironment) {
    const char* saved = std::getenv(kUpdateUrlVariable);
    const std::string restore = saved ? saved : "";
    unsetenv(kUpdateUrlVariable);
    EXPECT_EQ(updateServerBase(), std::string(kUpdateServerBase));
    setenv(kUpdateUrlVariable, "http://127.0.0.1:8080/q", 1);
    EXPECT_EQ(updateServerBase(), "http://127.0.0.1:8080/q/");
    setenv(kUpdateUrlVariable, "", 1);
    EXPECT_EQ(updateServerBase(), "");
    EXPECT_FALSE(checkNewVisible("QRN42", updateServerBase()));
    EXPECT_TRUE(checkNewVisible("QRN42", kBase));
    EXPECT_FALSE(checkNewVisible("", kBase));
    if (saved)
        setenv(kUpdateUrlVariable, restore.c_str(), 1);
    else
        unsetenv(kUpdateUrlVariable);
}

TEST(VersionCheckProtocol, VersionRecordSplit) {
    auto r = splitVersionRecord("0.629,down/;prog.exe trailing words");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->newest, "0.629");
    EXPECT_EQ(r->path, "down/");
    EXPECT_EQ(r->fileName, "prog.exe");

    // Folders in the file name never reach the save dialog or the address.
    r = splitVersionRecord("0.629,down/;../../bin/prog.exe");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->fileName, "prog.exe");
    r = splitVersionRecord("0.629,;C:\\Windows\\prog.exe");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->path, "");
    EXPECT_EQ(r->fileName, "prog.exe");
    // A name without ".exe" is taken whole, line end cut.
    r = splitVersionRecord("0.629,down/;prog.AppImage\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->fileName, "prog.AppImage");

    EXPECT_FALSE(splitVersionRecord("0.629"));
    EXPECT_FALSE(splitVersionRecord("0.629,down/prog.exe"));
    EXPECT_FALSE(splitVersionRecord("0.629,down/;"));
    EXPECT_FALSE(splitVersionRecord("0.629,down/;down/.."));
    EXPECT_FALSE(splitVersionRecord("0.629,down/;a\nb.exe"));
}

TEST(VersionCheckProtocol, ComparisonAndKind) {
    EXPECT_EQ(compareVersions("0.629", "0.628"), VersionOrder::Newer);
    EXPECT_EQ(compareVersions("0.628", "0.628"), VersionOrder::Same);
    EXPECT_EQ(compareVersions("0.627", "0.628"), VersionOrder::Older);
    // A beta of the running number ranks below the release.
    EXPECT_EQ(compareVersions("0.628b", "0.628"), VersionOrder::Older);
    EXPECT_EQ(compareVersions("0.629b", "0.628"), VersionOrder::Newer);
    EXPECT_EQ(compareVersions("0.628b2", "0.628b"), VersionOrder::Newer);
    EXPECT_EQ(versionKind("0.629b"), "beta version");
    EXPECT_EQ(versionKind("0.629"), "release");
}

TEST(VersionCheckStartup, IdentifierAndVersionReport) {
    CannedTransport net;
    const std::string getid = std::string(kBase) + "getid.php?sw=QRN&ver=0.628&cnt=5";
    net.replies[getid] = {true, "0042"};

    // A stored identifier is used as it is; the same version sends nothing.
    StartupExchange s = startupExchanges(net, kBase, 5, std::string("QRN7"), std::string("0.628"));
    EXPECT_EQ(s.identifier, "QRN7");
    EXPECT_FALSE(s.storeSerial);
    EXPECT_TRUE(net.requests.empty());

    // No identifier yet: requested and to be stored; a changed version is reported with it.
    s = startupExchanges(net, kBase, 5, std::nullopt, std::string("0.627"));
    EXPECT_EQ(s.identifier, "QRN0042");
    EXPECT_TRUE(s.storeSerial);
    ASSERT_EQ(net.requests.size(), 2u);
    EXPECT_EQ(net.requests[0], getid);
    EXPECT_EQ(net.requests[1], std::string(kBase) + "updver.php?ser=QRN0042&ver=0.628&cnt=5");

    // An empty reply gives the software identifier alone, not stored.
    net.replies[getid] = {true, ""};
    s = startupExchanges(net, kBase, 5, std::nullopt, std::nullopt);
    EXPECT_EQ(s.identifier, "QRN");
    EXPECT_FALSE(s.storeSerial);

    // A failure is silent and leaves no identifier.
    net.replies.clear();
    s = startupExchanges(net, kBase, 5, std::nullopt, std::string("0.627"));
    EXPECT_EQ(s.identifier, "");
    EXPECT_FALSE(s.storeSerial);

    // Without a server address nothing is sent.
    net.requests.clear();
    s = startupExchanges(net, "", 5, std::nullopt, std::string("0.627"));
    EXPECT_TRUE(net.requests.empty());
    EXPECT_EQ(s.identifier, "");
}

struct CheckNew : ::testing::Test {
    RecordingHost host;
    MessageLog log{host};
    CannedTransport net;
    std::vector<std::string> dialogTitles;
    std::optional<std::string> chosen = std::string("/tmp/chosen.exe");

    void run(const std::string& reply) {
        net.replies[kQuery] = {true, reply};
        checkNewVersion(
            log, host, net,
            [&](const std::string& name, const std::string& title) {
                dialogTitles.push_back(name + "|" + title);
                return chosen;
            },
            kBase, "QRN42", 3);
    }
};

TEST_F(CheckNew, YesDownloadsIntoTheChosenFile) {
    run("0.629b,down/;prog.exe");
    EXPECT_EQ(host.markup,
              (std::vector<std::string>{"Checking new version...",
                                        "A new beta version is available: [b]prog v0.629b[/b].",
                                        "Downloading: /tmp/chosen.exe", "Download complete.", ""}));
    EXPECT_EQ(host.questions,
              (std::vector<std::string>{"A new beta version is available.\nDo you want to download it?"}));
    EXPECT_EQ(dialogTitles, (std::vector<std::string>{"prog.exe|Save prog v0.629b as"}));
    ASSERT_EQ(net.downloads.size(), 1u);
    EXPECT_EQ(net.downloads[0].first, std::string(kBase) + "down/prog.exe");
    EXPECT_EQ(net.downloads[0].second, "/tmp/chosen.exe");
}

TEST_F(CheckNew, NoCancelAndFailedDownload) {
    host.answer = false;
    run("0.629,down/;prog.exe");
    EXPECT_EQ(host.markup.back(), "");
    EXPECT_TRUE(dialogTitles.empty());

    host.markup.clear();
    host.answer = true;
    chosen.reset();
    run("0.629,down/;prog.exe");
    EXPECT_EQ(host.markup.back(), "A new release is available: [b]prog v0.629[/b].");
    EXPECT_TRUE(net.downloads.empty());

    host.markup.clear();
    chosen = "/tmp/chosen.exe";
    net.downloadResult = {false, "Connection closed"};
    run("0.629,down/;prog.exe");
    EXPECT_EQ(host.markup.back(), "Downloading: /tmp/chosen.exe");
    EXPECT_EQ(host.errors, (std::vector<std::string>{"Connection closed"}));
}

TEST_F(CheckNew, UnreadableRecordIsNotFound) {
    run("<html>maintenance</html>");
    EXPECT_EQ(host.markup,
              (std::vector<std::string>{"Checking new version...", "Version info not found.", ""}));
    EXPECT_TRUE(host.questions.empty());
}

}  // namespace
}  // namespace quarnel
