// The folder listing reader on arbitrary text: ListItems, FindListedItem and
// ItemUrlInListing must agree with each other and never read outside the text.

#include "cloud/Listing.h"
#include "fuzz/FuzzInput.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

using qinglan::RemoteItem;

const QString& Address() {
    static const QString address =
        QStringLiteral("http://127.0.0.1:8936/items/7F3A9C20D41E6B85!1001");
    return address;
}

const QString& AddressWithoutBang() {
    static const QString address = QStringLiteral("http://127.0.0.1:8936/items/");
    return address;
}

std::optional<RemoteItem> FirstNamed(const QList<RemoteItem>& items, QStringView name) {
    for (const RemoteItem& item : items) {
        if (item.RelationshipName == name)
            return item;
    }
    return std::nullopt;
}

void CheckLookup(QStringView listing, const QList<RemoteItem>& items, QStringView name) {
    const std::optional<RemoteItem> expected = FirstNamed(items, name);
    FUZZ_CHECK(qinglan::FindListedItem(listing, name) == expected);

    const QString url = qinglan::ItemUrlInListing(Address(), listing, name);
    const QString bare = qinglan::ItemUrlInListing(AddressWithoutBang(), listing, name);
    if (expected) {
        const QString owner = Address().left(Address().indexOf(u'!') + 1);
        FUZZ_CHECK(url == owner + expected->ResourceID);
        FUZZ_CHECK(bare == expected->ResourceID);
    } else {
        FUZZ_CHECK(url.isEmpty());
        FUZZ_CHECK(bare.isEmpty());
    }
}

// Whatever the text, every value read is a piece of it that holds no closing tag
// of its own, and lookups find the first item of that name.
void CheckAnyText(const QString& listing) {
    const QList<RemoteItem> items = qinglan::ListItems(listing);
    if (!listing.contains(u"<Items>"))
        FUZZ_CHECK(items.isEmpty());

    for (const RemoteItem& item : items) {
        FUZZ_CHECK(listing.contains(item.ItemType));
        FUZZ_CHECK(listing.contains(item.ResourceID));
        FUZZ_CHECK(listing.contains(item.RelationshipName));
        FUZZ_CHECK(!item.ItemType.contains(u"</ItemType>"));
        FUZZ_CHECK(!item.ResourceID.contains(u"</ResourceID>"));
        FUZZ_CHECK(!item.RelationshipName.contains(u"</RelationshipName>"));
        // Only the part up to the first "!" is taken away: a "!" left in the
        // number had another one before it.
        if (item.ResourceID.contains(u'!'))
            FUZZ_CHECK(listing.contains(u'!' + item.ResourceID));
    }

    QStringList names;
    for (const RemoteItem& item : items) {
        if (names.size() == 8)
            break;
        if (!names.contains(item.RelationshipName))
            names.append(item.RelationshipName);
    }
    // A name the listing may or may not hold: the input's last line.
    names.append(listing.mid(listing.lastIndexOf(u'\n') + 1));
    for (const QString& name : names)
        CheckLookup(listing, items, name);
}

// A listing in the published layout, one item per input line "type<TAB>id<TAB>name".
// Lines holding '<' would carry tags of their own and are left out. Every item
// reads back as written, the identifier without its part up to the first "!".
void CheckPublishedLayout(const QString& text) {
    struct Written {
        QString type;
        QString id;
        QString name;
    };
    QList<Written> written;
    QString listing = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Items>\r\n");
    for (const QString& line : text.split(u'\n')) {
        if (line.contains(u'<'))
            continue;
        const QStringList fields = line.split(u'\t');
        const Written w{fields.value(0), fields.value(1), fields.value(2)};
        listing += QStringLiteral("<Item>\r\n      <ItemType>") + w.type +
                   QStringLiteral("</ItemType>\r\n      <ResourceID>") + w.id +
                   QStringLiteral("</ResourceID>\r\n      <RelationshipName>") + w.name +
                   QStringLiteral("</RelationshipName>\r\n</Item>\r\n");
        written.append(w);
        if (written.size() == 16)
            break;
    }
    listing += QStringLiteral("</Items>\r\n");

    const QList<RemoteItem> items = qinglan::ListItems(listing);
    FUZZ_CHECK(items.size() == written.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Written& w = written[i];
        FUZZ_CHECK(items[i].ItemType == w.type);
        FUZZ_CHECK(items[i].RelationshipName == w.name);
        const qsizetype bang = w.id.indexOf(u'!');
        FUZZ_CHECK(items[i].ResourceID == (bang < 0 ? w.id : w.id.mid(bang + 1)));
        FUZZ_CHECK(items[i].ResourceID.count(u'!') == std::max<qsizetype>(0, w.id.count(u'!') - 1));
    }
    for (const Written& w : written)
        CheckLookup(listing, items, w.name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString utf8 = qinglan::fuzz::Utf8Text(data, size);
    CheckAnyText(utf8);
    CheckPublishedLayout(utf8);
    if (size % 2 == 0) {
        const QString utf16 = qinglan::fuzz::Utf16Text(data, size);
        CheckAnyText(utf16);
        CheckPublishedLayout(utf16);
    }
    return 0;
}
