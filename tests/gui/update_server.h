// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP/1.1 server on 127.0.0.1 standing in for the update server: it answers by
// script name (the request path without its query), records every request with its headers,
// and can stop a body halfway through as a broken connection would.
#pragma once

#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <memory>

namespace quarnel::guitest {

struct ServerAnswer {
    int status = 200;
    QByteArray body;
    QByteArray extraHeaders;  // whole header lines, each ending in "\r\n"
    bool cutHalfway = false;  // announce the whole body, send half of it, then close
};

struct ServerRequest {
    QByteArray method;
    QByteArray target;                     // path and query as sent, under the base address
    QMap<QByteArray, QByteArray> headers;  // names in lower case
};

class UpdateServer {
  public:
    static constexpr const char* kRoot = "/q/";

    UpdateServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
        });
    }

    bool listening() const { return server_.isListening(); }
    QString base() const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(kRoot);
    }

    // Answers by the path under the base address ("getid.php", "down/prog.exe"); 404 otherwise.
    QMap<QByteArray, ServerAnswer> answers;
    QList<ServerRequest> requests;

    // The paths asked for, without their queries, in order.
    QList<QByteArray> scripts() const {
        QList<QByteArray> out;
        for (const ServerRequest& r : requests) out << scriptOf(r.target);
        return out;
    }
    // The query value of `key` in the last request for `script`, percent-decoded.
    QString queryValue(const QByteArray& script, const QString& key) const {
        for (auto it = requests.crbegin(); it != requests.crend(); ++it) {
            if (scriptOf(it->target) != script) continue;
            for (const QByteArray& pair : it->target.mid(scriptOf(it->target).size() + 1).split('&')) {
                const int eq = pair.indexOf('=');
                if (QString::fromLatin1(pair.left(eq)) == key)
                    return QUrl::fromPercentEncoding(pair.mid(eq + 1));
            }
        }
        return {};
    }

  private:
    QTcpServer server_;

    static QByteArray scriptOf(const QByteArray& target) {
        const qsizetype q = target.indexOf('?');
        return q < 0 ? target : target.left(q);
    }

    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0) return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->clear();
            ServerRequest request;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.target = first.value(1).mid(int(qstrlen(kRoot)));
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers[lines[i].left(colon).trimmed().toLower()] =
                        lines[i].mid(colon + 1).trimmed();
            }
            requests << request;
            respond(socket,
                    answers.value(scriptOf(request.target), ServerAnswer{404, "not here", {}, false}));
        });
    }

    static void respond(QTcpSocket* socket, const ServerAnswer& a) {
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(a.status) + (a.status == 200 ? " OK" : " Not Found") +
            "\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(a.body.size()) +
            "\r\nConnection: close\r\n" + a.extraHeaders + "\r\n";
        socket->write(head + (a.cutHalfway ? a.body.left(a.body.size() / 2) : a.body));
        socket->disconnectFromHost();  // after the pending bytes are written
    }
};

}  // namespace quarnel::guitest
