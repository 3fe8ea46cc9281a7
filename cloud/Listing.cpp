#include "cloud/Listing.h"

#include "cloud/ListingLayout.h"

#include <functional>

namespace qinglan {

namespace {

// Walks the items of a listing in order until visit returns false.
void ScanListing(QStringView text, const std::function<bool(RemoteItem&&)>& visit) {
    using namespace listing;

    qsizetype p = text.indexOf(ItemsOpen);
    while (p >= 0) {
        const qsizetype s = text.indexOf(TypeOpen, p);
        if (s < 0)
            return;
        const qsizetype e = text.indexOf(TypeClose, s);
        if (e < 0)
            return;
        const qsizetype r = text.indexOf(IdClose, e);
        if (r < 0)
            return;
        const qsizetype n = text.indexOf(NameClose, r);
        if (n < 0)
            return;
        // A listing whose tags are too close together gives a negative length:
        // the layout is not the expected one, and the scan stops there.
        const qsizetype typeLength = e - s - TypeOpen.size();
        const qsizetype idLength = r - e - IdOffset;
        const qsizetype nameLength = n - r - NameOffset;
        if (typeLength < 0 || idLength < 0 || nameLength < 0)
            return;

        RemoteItem item;
        item.ItemType = text.mid(s + TypeOpen.size(), typeLength).toString();
        QStringView id = text.mid(e + IdOffset, idLength);
        if (const qsizetype bang = id.indexOf(u'!'); bang >= 0)
            id = id.mid(bang + 1);
        item.ResourceID = id.toString();
        item.RelationshipName = text.mid(r + NameOffset, nameLength).toString();
        p = text.indexOf(TypeOpen, n);
        if (!visit(std::move(item)))
            return;
    }
}

} // namespace

QList<RemoteItem> ListItems(QStringView listing) {
    QList<RemoteItem> result;
    ScanListing(listing, [&](RemoteItem&& item) {
        result.append(std::move(item));
        return true;
    });
    return result;
}

std::optional<RemoteItem> FindListedItem(QStringView listing, QStringView name) {
    std::optional<RemoteItem> found;
    ScanListing(listing, [&](RemoteItem&& item) {
        if (item.RelationshipName != name)
            return true;
        found = std::move(item);
        return false;
    });
    return found;
}

QString ItemUrlInListing(const QString& address, QStringView listing, QStringView name) {
    const auto item = FindListedItem(listing, name);
    if (!item)
        return {};
    const qsizetype bang = address.indexOf(u'!');
    return bang < 0 ? item->ResourceID : address.left(bang + 1) + item->ResourceID;
}

} // namespace qinglan
