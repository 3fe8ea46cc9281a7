#include "shell/WindowFetch.h"

#include "cloud/Http.h"
#include "cloud/Log.h"
#include "shell/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace qinglan {

void FetchListingOrClose(QWidget* window, const QString& url,
                         std::function<void(const QString& listing)> done) {
    FetchText(
        url, TransferKind::Listing, window,
        [window = QPointer<QWidget>(window), url, done = std::move(done)](const TextReply& reply) {
            // An error page parses to no items: taken for a listing it would
            // claim that the folder is empty.
            const bool listing = reply.text && reply.status >= 200 && reply.status <= 299 &&
                                 reply.text->contains(QStringLiteral("<Items>"));
            if (listing) {
                done(*reply.text);
                return;
            }
            if (reply.text)
                qCWarning(lcCloud)
                    << "GET" << url << "gave no listing: HTTP status" << reply.status;
            ShowMessage(window, QStringLiteral("获取信息失败，请检测网络连接"));
            if (window)
                window->close();
            done(QString());
        });
}

} // namespace qinglan
