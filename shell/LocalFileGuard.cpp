#include "shell/LocalFileGuard.h"

#include "shell/Environment.h"

#include <QFileInfo>

namespace qinglan {

bool LocalFileGuard::Allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type,
                             const QUrl& firstParty) {
    if (!url.isLocalFile() && url.scheme() != u"file")
        return true;
    if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        return true; // the program's own page files, and addresses a user types
    if (type != QWebEngineUrlRequestInfo::ResourceTypeImage || !firstParty.isLocalFile())
        return false;
    // The tile beside the page that shows it.
    const QFileInfo file(url.toLocalFile());
    const QFileInfo page(firstParty.toLocalFile());
    return file.fileName() == QStringView(TileFileName) &&
           file.absolutePath() == page.absolutePath() && !url.hasQuery();
}

void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!Allowed(info.requestUrl(), info.resourceType(), info.firstPartyUrl()))
        info.block(true);
}

} // namespace qinglan
