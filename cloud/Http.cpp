#include "cloud/Http.h"

#include "cloud/BlockingHttp.h"
#include "cloud/Listing.h"

#include <QStringDecoder>

#include <future>

namespace qinglan {

QString DecodeBody(const QByteArray& body, const QByteArray& contentType) {
    QByteArray charset;
    for (const QByteArray& part : contentType.split(';')) {
        const QByteArray p = part.trimmed();
        if (p.toLower().startsWith("charset="))
            charset = p.mid(8).trimmed().replace('"', QByteArray());
    }
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

namespace {

TextReply TextOf(const TransferReply& reply) {
    TextReply text;
    if (reply.ok()) {
        text.text = DecodeBody(reply.body, reply.contentType);
        text.status = reply.status;
    }
    return text;
}

DownloadOutcome OutcomeOf(const TransferReply& reply) {
    return DownloadOutcome{reply.result, reply.fileError};
}

} // namespace

TransferId FetchText(const QString& url, TransferKind kind, QObject* context,
                     std::function<void(const TextReply&)> done) {
    return Transfers::Instance().Start(
        TransferRequest{url, kind, {}, Durability::Renamed, Connection::Reuse}, context,
        [done = std::move(done)](const TransferReply& reply) { done(TextOf(reply)); });
}

TransferId StartDownload(const QString& url, const QString& path, TransferKind kind,
                         QObject* context, std::function<void(DownloadOutcome)> done,
                         Durability durability, Connection connection) {
    return Transfers::Instance().Start(
        TransferRequest{url, kind, path, durability, connection}, context,
        [done = std::move(done)](const TransferReply& reply) { done(OutcomeOf(reply)); });
}

// The waiting forms: the answer is given on the transfer thread and handed over.

TextReply HttpGetReply(const QString& url, TransferKind kind) {
    auto promise = std::make_shared<std::promise<TextReply>>();
    auto future = promise->get_future();
    Transfers::Instance().Start(
        TransferRequest{url, kind, {}, Durability::Renamed, Connection::Reuse}, nullptr,
        [promise](const TransferReply& reply) { promise->set_value(TextOf(reply)); });
    return future.get();
}

std::optional<QString> HttpGetText(const QString& url, TransferKind kind) {
    return HttpGetReply(url, kind).text;
}

QString TryHttpGetText(const QString& url) { return HttpGetText(url).value_or(QString()); }

QString GetItemUrl(const QString& address, const QString& name) {
    return ItemUrlInListing(address, TryHttpGetText(address), name);
}

DownloadOutcome DownloadToFileNow(const QString& url, const QString& path, Connection connection,
                                  TransferKind kind, Durability durability) {
    auto promise = std::make_shared<std::promise<DownloadOutcome>>();
    auto future = promise->get_future();
    Transfers::Instance().Start(
        TransferRequest{url, kind, path, durability, connection}, nullptr,
        [promise](const TransferReply& reply) { promise->set_value(OutcomeOf(reply)); });
    return future.get();
}

namespace {

template <typename T, typename Ask>
T Wait(Ask ask) {
    auto promise = std::make_shared<std::promise<T>>();
    auto future = promise->get_future();
    ask([promise](const T& value) { promise->set_value(value); });
    return future.get();
}

} // namespace

QString GetNamedTextNow(const QString& itemsBaseUrl, int folderId, const QString& name,
                        const QString& bufferPath) {
    return Wait<QString>([&](auto done) {
        FetchNamedText(itemsBaseUrl, folderId, name, bufferPath, nullptr, done);
    });
}

NamedDownload DownloadNamedFileNow(const QString& itemsBaseUrl, int folderId, const QString& name,
                                   const QString& path) {
    return Wait<NamedDownload>([&](auto done) {
        StartNamedDownload(itemsBaseUrl, folderId, name, path, TransferKind::NamedText, nullptr,
                           done);
    });
}

} // namespace qinglan
