#include "search/ResultPage.h"

#include "shell/Pages.h"

namespace qinglan {

namespace {

constexpr QStringView LineBreak = u"\r\n";
constexpr QStringView Separator = u" - ";

// The pieces of an index line: resource number and remote name, or nothing for
// a line the query cannot use (no separator, or a remote name too short to hold
// a prefix, a name and an extension).
struct IndexLine {
    QStringView number;
    QStringView remoteName;
};

std::optional<IndexLine> ParseLine(QStringView line) {
    const qsizetype first = line.indexOf(Separator);
    if (first < 0)
        return std::nullopt;
    const QStringView rest = line.mid(first + Separator.size());
    const qsizetype second = rest.indexOf(Separator);
    const QStringView remote = second < 0 ? rest : rest.left(second);
    if (remote.size() < 9)
        return std::nullopt;
    return IndexLine{line.left(first), remote};
}

} // namespace

QString OfflineParagraph(const QString& query) {
    return QStringLiteral("<p>网络未连接，无法查询“") + query + QStringLiteral("”的信息。</p>");
}

std::optional<QString> BuildResultPage(QStringView indexText, const QString& query,
                                       const ResultPageSources& sources) {
    QString entryText;
    QString pictureBlock;
    QString relatedLinks;
    int matchCount = 0;

    // Lines between the first and the last piece of the split.
    qsizetype start = indexText.indexOf(LineBreak);
    while (start >= 0) {
        const qsizetype lineStart = start + LineBreak.size();
        const qsizetype end = indexText.indexOf(LineBreak, lineStart);
        if (end < 0)
            break; // the last piece is never examined
        const QStringView line = indexText.mid(lineStart, end - lineStart);
        start = end;

        if (line.contains(query)) {
            if (const auto parsed = ParseLine(line)) {
                const QStringView entryFileName = parsed->remoteName.mid(4);
                const QString displayName = entryFileName.chopped(5).toString();
                if (displayName == query) {
                    const ExactMatch match{parsed->number.toString(),
                                           parsed->remoteName.toString(), displayName};
                    entryText = sources.entryText ? sources.entryText(match) : QString();
                    const QString picture =
                        sources.pictureAddress ? sources.pictureAddress(displayName) : QString();
                    pictureBlock = picture.isEmpty()
                                       ? QString()
                                       : QStringLiteral("<img src='") + picture + QStringLiteral("'><br>");
                    if (entryText.isEmpty())
                        entryText = OfflineParagraph(query);
                }
                relatedLinks += EntryLink(displayName);
                ++matchCount;
            }
        }
        if (sources.yield && !sources.yield())
            return std::nullopt;
    }

    QString tail;
    if (matchCount != 0)
        tail = QStringLiteral("<hr><h2>") + query + QStringLiteral("相关：</h2>") + relatedLinks;
    if (matchCount == 1 && !entryText.isEmpty())
        tail.clear();
    QString body = entryText + tail;
    if (body.isEmpty())
        body = QStringLiteral("<h1>未找到任何信息</h1>");
    return BodyOpen(QString::fromUtf16(ResultPageStyle)) + QString::fromUtf16(HiddenInput) +
           pictureBlock + body;
}

} // namespace qinglan
