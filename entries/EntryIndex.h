#pragma once

#include "cloud/Listing.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace qinglan {

// The entry index ML, written here and read here only.
//
// Its text: for every listed item, in listing order and whatever its type, CR LF,
// the resource number, " - " and the listed name; then one CR LF. So the first
// and the last piece of the text split at CR LF are empty, and every piece
// between them is one entry line.

QString EntryIndexText(const QList<RemoteItem>& items);

// Writes the index text into dataPath as GBK, whole or not at all: a partial
// index would count as present for ever. Returns an error description, empty
// on success.
[[nodiscard]] QString WriteEntryIndex(const QString& dataPath, const QString& indexText);

// The entry's name as users know it, from its listed name: without the
// four-character prefix and the five-character extension. listedName must have
// at least nine characters (ParseIndexLine makes sure of that).
inline QStringView DisplayNameOf(QStringView listedName) { return listedName.mid(4).chopped(5); }

// One entry line, in pieces that view the line's text.
struct IndexLine final {
    QStringView number;     // the resource number: the text before the first " - "
    QStringView remoteName; // the listed name: from there to a second " - ", if any
    // The entry's name as users know it: the entry file name without its
    // five-character extension.
    QStringView DisplayName() const { return DisplayNameOf(remoteName); }
};

// The pieces of an entry line; nullopt for a line that has no " - " or whose
// remote name is shorter than nine characters (no prefix, name and extension).
std::optional<IndexLine> ParseIndexLine(QStringView line);

// Calls visit(line) for every piece between the first and the last of the index
// text split at CR LF, in order, until visit returns false. The first and the
// last piece are never visited, whatever they hold.
template <typename Visit>
void ForEachIndexLine(QStringView indexText, Visit&& visit) {
    constexpr QStringView lineBreak = u"\r\n";
    qsizetype start = indexText.indexOf(lineBreak);
    while (start >= 0) {
        const qsizetype lineStart = start + lineBreak.size();
        const qsizetype end = indexText.indexOf(lineBreak, lineStart);
        if (end < 0)
            return;
        if (!visit(indexText.mid(lineStart, end - lineStart)))
            return;
        start = end;
    }
}

} // namespace qinglan
