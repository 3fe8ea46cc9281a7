#include "cloud/NamedFile.h"

#include "cloud/Files.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "cloud/Log.h"

namespace qinglan {

namespace {

// Reads the folder's listing and gives the address of the named item, or an
// empty one when it is not listed or the listing cannot be had.
void FindNamedItem(const QString& itemsBaseUrl, int folderId, const QString& name, QObject* context,
                   std::function<void(const QString& address)> found) {
    const QString folder = itemsBaseUrl + QString::number(folderId);
    FetchText(folder, TransferKind::Listing, context,
              [itemsBaseUrl, folder, name, found = std::move(found)](const TextReply& reply) {
                  // The item's address is made from the items prefix, not the listing's.
                  const auto item = FindListedItem(reply.text.value_or(QString()), name);
                  if (!item) {
                      qCWarning(lcCloud) << name << "is not listed in" << folder;
                      found(QString());
                      return;
                  }
                  found(itemsBaseUrl + item->ResourceID);
              });
}

} // namespace

void StartNamedDownload(const QString& itemsBaseUrl, int folderId, const QString& name,
                        const QString& path, TransferKind kind, QObject* context,
                        std::function<void(const NamedDownload&)> done) {
    FindNamedItem(itemsBaseUrl, folderId, name, context,
                  [path, kind, context, done = std::move(done)](const QString& address) {
                      if (address.isEmpty()) {
                          done(NamedDownload{});
                          return;
                      }
                      StartDownload(
                          address, path, kind, context,
                          [done](DownloadOutcome outcome) {
                              done(NamedDownload{true, outcome});
                          },
                          Durability::Renamed);
                  });
}

void FetchNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                    const QString& bufferPath, QObject* context,
                    std::function<void(const QString& text)> done) {
    // Fetched into memory and then written to the buffer: two fetches at once
    // never read each other's file.
    FetchNamedBytes(itemsBaseUrl, folderId, name, TransferKind::NamedText, context,
                    [name, folderId, bufferPath, done = std::move(done)](const NamedBytes& file) {
                        if (!file.ok()) {
                            done(QString());
                            return;
                        }
                        if (const QString error = ReplaceFile(bufferPath, file.reply.body);
                            !error.isEmpty())
                            qCWarning(lcCloud) << name << "could not be kept in" << bufferPath;
                        const QString text = FromGbk(file.reply.body);
                        if (text.isEmpty())
                            qCWarning(lcCloud) << name << "in folder" << folderId << "is empty";
                        done(text);
                    });
}

void FetchNamedBytes(const QString& itemsBaseUrl, int folderId, const QString& name,
                     TransferKind kind, QObject* context,
                     std::function<void(const NamedBytes&)> done) {
    FindNamedItem(
        itemsBaseUrl, folderId, name, context,
        [name, kind, context, done = std::move(done)](const QString& address) {
            if (address.isEmpty()) {
                done(NamedBytes{});
                return;
            }
            Transfers::Instance().Start(
                TransferRequest{address, kind, {}, Durability::Renamed, Connection::Reuse}, context,
                [name, done](const TransferReply& reply) {
                    if (reply.ok() && !reply.success2xx())
                        qCWarning(lcCloud) << name << "failed: HTTP status" << reply.status;
                    done(NamedBytes{true, reply});
                });
        });
}

} // namespace qinglan
