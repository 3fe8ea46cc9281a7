#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace qinglan {

// One item of a folder listing.
struct RemoteItem final {
    QString ItemType;
    QString ResourceID;       // the resource number: the identifier after its first "!"
    QString RelationshipName; // the file name in the folder

    bool operator==(const RemoteItem&) const = default;
};

// Every item of a listing, in listing order. The listing is read by forward
// searches with fixed offsets, without decoding character references; a listing
// without "<Items>" has no items, and a malformed one is read up to the fault.
QList<RemoteItem> ListItems(QStringView listing);

// The first item whose name equals name exactly (case-sensitive).
std::optional<RemoteItem> FindListedItem(QStringView listing, QStringView name);

// Looks name up in a listing fetched from address (a failed fetch counts as an
// empty listing) and returns the item's address: address up to and including
// its first "!", then the resource number. Empty when name is not listed.
QString ItemUrlInListing(const QString& address, QStringView listing, QStringView name);

} // namespace qinglan
