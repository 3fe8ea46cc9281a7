#include "search/ResultPage.h"

#include "entries/EntryIndex.h"
#include "shell/Pages.h"

namespace qinglan {

QString OfflineParagraph(const QString& query) {
    return QStringLiteral("<p>网络未连接，无法查询“") + query + QStringLiteral("”的信息。</p>");
}

std::optional<QString> BuildResultPage(QStringView indexText, const QString& query,
                                       const ResultPageSources& sources) {
    QString entryText;
    QString pictureBlock;
    QString relatedLinks;
    int matchCount = 0;

    bool abandoned = false;
    ForEachIndexLine(indexText, [&](QStringView line) {
        if (line.contains(query)) {
            if (const auto parsed = ParseIndexLine(line)) {
                const QString displayName = parsed->DisplayName().toString();
                if (displayName == query) {
                    const ExactMatch match{parsed->number.toString(), parsed->remoteName.toString(),
                                           displayName};
                    entryText = sources.entryText ? sources.entryText(match) : QString();
                    const QString picture =
                        sources.pictureAddress ? sources.pictureAddress(displayName) : QString();
                    pictureBlock = picture.isEmpty() ? QString()
                                                     : QStringLiteral("<img src='") + picture +
                                                           QStringLiteral("'><br>");
                    if (entryText.isEmpty())
                        entryText = OfflineParagraph(query);
                }
                relatedLinks += EntryLink(displayName);
                ++matchCount;
            }
        }
        abandoned = sources.yield && !sources.yield();
        return !abandoned;
    });
    if (abandoned)
        return std::nullopt;

    QString tail;
    if (matchCount != 0)
        tail = QStringLiteral("<hr><h2>") + query + QStringLiteral("相关：</h2>") + relatedLinks;
    if (matchCount == 1 && !entryText.isEmpty())
        tail.clear();
    QString body = entryText + tail;
    if (body.isEmpty())
        body = QStringLiteral("<h1>未找到任何信息</h1>");
    return BodyOpen(ResultPageStyle()) + QString::fromUtf16(HiddenInput) + pictureBlock + body;
}

} // namespace qinglan
