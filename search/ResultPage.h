#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace qinglan {

// One index line whose display name equals the query.
struct ExactMatch final {
    QString resourceNumber;
    QString remoteName;  // the listed name, with its four-character prefix
    QString displayName; // the entry's name as users know it
};

struct ResultPageSources final {
    // The entry's text, or empty when it cannot be had. Called for every exact
    // match, in index order.
    std::function<QString(const ExactMatch&)> entryText;
    // The picture's address for a display name, or empty.
    std::function<QString(const QString& displayName)> pictureAddress;
    // Called between index lines so that the window can process events; a false
    // answer abandons the query.
    std::function<bool()> yield;
};

// The result page of a query over the index text (CR LF separated, its first and
// last line never examined): the entry whose display name equals the query with
// its picture, and a related link for every line that contains the query.
// Nothing inserted is escaped. nullopt when the query was abandoned.
std::optional<QString> BuildResultPage(QStringView indexText, const QString& query,
                                       const ResultPageSources& sources);

// The paragraph shown when an entry's text cannot be had.
QString OfflineParagraph(const QString& query);

} // namespace qinglan
