// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/http_client.h"

#include <QEventLoop>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>
#include <memory>

namespace quarnel {
namespace {

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};
using ReplyPtr = std::unique_ptr<QNetworkReply, ReplyDeleter>;

NetReply failure(const QString& text) {
    return {false, text.toStdString()};
}

// The reply's error text, also for a body shorter than its announced length.
QString replyError(const QNetworkReply& reply, qint64 received) {
    if (reply.error() != QNetworkReply::NoError) return reply.errorString();
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() != received)
        return QStringLiteral("Connection closed after %1 of %2 bytes")
            .arg(received)
            .arg(announced.toLongLong());
    return {};
}

}  // namespace

HttpClient::HttpClient(int stallMs) : stallMs_(stallMs) {
    manager_.setProxy(QNetworkProxy::NoProxy);
    manager_.setCookieJar(new QNetworkCookieJar(&manager_));
}

QNetworkReply* HttpClient::get(const std::string& url) {
    // The inserted values are already percent-encoded; what the server sent is taken leniently.
    QNetworkRequest request(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::TolerantMode));
    request.setRawHeader("Accept", kHttpAccept);
    // Bodies arrive as sent: with compression Qt takes a connection closed early for the end of
    // the body, and a cut download would pass for a whole one.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, kHttpUserAgent);
    request.setTransferTimeout(stallMs_);
    return manager_.get(request);
}

void HttpClient::wait(QNetworkReply* reply) {
    if (reply->isFinished()) return;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

NetReply HttpClient::getText(const std::string& url) {
    const ReplyPtr reply(get(url));
    wait(reply.get());
    const QByteArray body = reply->readAll();
    if (const QString error = replyError(*reply, body.size()); !error.isEmpty()) return failure(error);
    return {true, body.toStdString()};
}

NetReply HttpClient::download(const std::string& url, const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return failure(file.errorString());
    const ReplyPtr reply(get(url));
    bool writeFailed = false;
    qint64 received = 0;
    const auto take = [&] {
        const QByteArray part = reply->readAll();
        received += part.size();
        if (!writeFailed && file.write(part) < 0) {
            writeFailed = true;
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &file, take);
    wait(reply.get());
    if (writeFailed) return failure(file.errorString());
    take();
    if (writeFailed) return failure(file.errorString());
    if (const QString error = replyError(*reply, received); !error.isEmpty()) return failure(error);
    if (!file.commit()) return failure(file.errorString());
    return {true, ""};
}

}  // namespace quarnel
