// SPDX-License-Identifier: GPL-3.0-or-later
// The update server's HTTP client against a local server: the request headers, cookies kept
// between requests, no proxy, and downloads that replace a file only when they are complete.
#include <QDir>
#include <QFile>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "gui/http_client.h"
#include "update_server.h"

namespace quarnel::guitest {

class HttpClientTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::string url(const UpdateServer& server, const char* path) {
        return (server.base() + path).toStdString();
    }

    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList filesInDir() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  private slots:
    void requestsCarryTheHeadersAndSendCookiesBackDirectly() {
        UpdateServer server;
        QVERIFY(server.listening());
        server.answers["getid.php"] = {200, "0042", "Set-Cookie: session=abc123; Path=/\r\n"};
        server.answers["chkver.php"] = {200, "0.629,down/;prog.exe"};
        // A proxy configured for the whole application must not be used.
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 9));

        HttpClient client;
        const NetReply id = client.getText(url(server, "getid.php?sw=QRN&ver=0.628&cnt=2"));
        const NetReply query = client.getText(url(server, "chkver.php?ser=QRN0042&ver=0.628&cnt=2"));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::DefaultProxy);

        QVERIFY(id.ok);
        QCOMPARE(id.text, std::string("0042"));
        QVERIFY(query.ok);
        QCOMPARE(query.text, std::string("0.629,down/;prog.exe"));
        QCOMPARE(server.requests.size(), 2);
        for (const ServerRequest& r : server.requests) {
            QCOMPARE(r.method, QByteArray("GET"));
            QCOMPARE(r.headers.value("accept"), QByteArray("text/html, */*"));
            QCOMPARE(r.headers.value("user-agent"), QByteArray("Mozilla/3.0 (compatible; Indy Library)"));
        }
        QCOMPARE(server.requests[0].target, QByteArray("getid.php?sw=QRN&ver=0.628&cnt=2"));
        QVERIFY(!server.requests[0].headers.contains("cookie"));
        QCOMPARE(server.requests[1].headers.value("cookie"), QByteArray("session=abc123"));
    }

    void failuresGiveTheErrorText() {
        UpdateServer server;
        const NetReply missing = HttpClient().getText(url(server, "chkver.php?ser=x"));
        QVERIFY(!missing.ok);
        QVERIFY(!missing.text.empty());

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        const NetReply down =
            HttpClient().getText(QStringLiteral("http://127.0.0.1:%1/q/chkver.php").arg(port).toStdString());
        QVERIFY(!down.ok);
        QVERIFY2(QString::fromStdString(down.text).contains(QStringLiteral("refused"), Qt::CaseInsensitive),
                 down.text.c_str());
    }

    void aDownloadReplacesTheFileOnlyWhenComplete() {
        UpdateServer server;
        const QByteArray program = QByteArray("MZ") + QByteArray(200000, 'p') + "END";
        server.answers["down/prog.exe"] = {200, program};
        server.answers["down/cut.exe"] = {200, program, {}, true};
        HttpClient client;
        const QString target = dir_.filePath(QStringLiteral("prog.exe"));
        const QString fresh = dir_.filePath(QStringLiteral("fresh.exe"));
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the user's old file");
        }

        // Cut halfway, or not there at all: the old file stays, nothing else is left behind.
        for (const char* path : {"down/cut.exe", "down/absent.exe"}) {
            const NetReply r = client.download(url(server, path), target.toStdString());
            QVERIFY2(!r.ok && !r.text.empty(), path);
            QCOMPARE(contents(target), QByteArray("the user's old file"));
            QCOMPARE(client.download(url(server, path), fresh.toStdString()).ok, false);
            QVERIFY(!QFile::exists(fresh));
            QCOMPARE(filesInDir(), QStringList{QStringLiteral("prog.exe")});
        }

        const NetReply done = client.download(url(server, "down/prog.exe"), target.toStdString());
        QVERIFY2(done.ok, done.text.c_str());
        QCOMPARE(contents(target), program);
        QCOMPARE(filesInDir(), QStringList{QStringLiteral("prog.exe")});

        // A folder that cannot take the file: the error is the file's, no request is made.
        const qsizetype asked = server.requests.size();
        const NetReply nowhere =
            client.download(url(server, "down/prog.exe"),
                            dir_.filePath(QStringLiteral("no/such/folder/prog.exe")).toStdString());
        QVERIFY(!nowhere.ok && !nowhere.text.empty());
        QCOMPARE(server.requests.size(), asked);
    }
};

}  // namespace quarnel::guitest

QTEST_MAIN(quarnel::guitest::HttpClientTest)
#include "http_client_test.moc"
