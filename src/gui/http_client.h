// SPDX-License-Identifier: GPL-3.0-or-later
// The update server's HTTP client on Qt Network: plain GET requests with the headers the server
// expects, cookies kept for the session, no proxy. Each call waits for its reply in a local
// event loop that leaves user input aside, so the window waits as one synchronous call would.
#pragma once

#include <QNetworkAccessManager>
#include <string>

#include "app/version_check.h"

class QNetworkReply;

namespace quarnel {

constexpr const char* kHttpAccept = "text/html, */*";
constexpr const char* kHttpUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
// A transfer that receives nothing for this long is given up.
constexpr int kHttpStallMs = 30000;

class HttpClient : public UpdateTransport {
  public:
    explicit HttpClient(int stallMs = kHttpStallMs);

    NetReply getText(const std::string& url) override;
    // Received into a temporary file beside `path`, which replaces `path` only when the whole
    // body has arrived; a failed or cut transfer removes the temporary file.
    NetReply download(const std::string& url, const std::string& path) override;

    QNetworkAccessManager& manager() { return manager_; }

  private:
    QNetworkAccessManager manager_;
    int stallMs_;

    QNetworkReply* get(const std::string& url);
    static void wait(QNetworkReply* reply);
};

}  // namespace quarnel
