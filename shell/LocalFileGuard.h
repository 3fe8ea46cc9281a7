#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace qinglan {

// Keeps remote content in its place. Pages of the program come from the network
// (entry texts, remote pages) and may run scripts, while they are shown from
// local files so that result pages find their background tile. A page may load
// pictures from the network, but of the local disk only its own file (as a
// navigation) and its tile beside it; every other file: request is refused, so
// that no script can read local files.
class LocalFileGuard final : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Whether a request for url of this type, made by a page at firstParty, may go.
    static bool Allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type,
                        const QUrl& firstParty);
};

} // namespace qinglan
