#pragma once

#include "cloud/Listing.h"

#include <QString>

namespace qinglan {

// The entry index ML: for every listed item, in listing order and whatever its
// type, CR LF, the resource number, " - " and the listed name; then one CR LF.
QString EntryIndexText(const QList<RemoteItem>& items);

// Writes the index text into dataPath as GBK, whole or not at all: a partial
// index would count as present for ever. Returns an error description, empty
// on success.
QString WriteEntryIndex(const QString& dataPath, const QString& indexText);

} // namespace qinglan
