// The folder listing reader, on listing texts written out by hand.
#include "cloud/Listing.h"

#include <QTest>

using namespace qinglan;

namespace {

QString Item(const QString& type, const QString& id, const QString& name,
             const QString& sep1 = QStringLiteral("\r\n      "),
             const QString& sep2 = QStringLiteral("\r\n      ")) {
    return QStringLiteral("<Item><ItemType>") + type + QStringLiteral("</ItemType>") + sep1 +
           QStringLiteral("<ResourceID>") + id + QStringLiteral("</ResourceID>") + sep2 +
           QStringLiteral("<RelationshipName>") + name +
           QStringLiteral("</RelationshipName></Item>\r\n");
}

QString Listing(const QString& items) {
    return QStringLiteral("<?xml version=\"1.0\"?><Items>") + items + QStringLiteral("</Items>");
}

} // namespace

class TestListing final : public QObject {
    Q_OBJECT

private slots:
    void itemsInOrderWithEveryType() {
        const QString text = Listing(
            Item(QStringLiteral("Document"), QStringLiteral("OWN!12"),
                 QStringLiteral("0001甘草.html")) +
            Item(QStringLiteral("Folder"), QStringLiteral("OWN!13"), QStringLiteral("子目录")) +
            Item(QStringLiteral("Photo"), QStringLiteral("OWN!14"), QStringLiteral("a - b.jpg")));
        const QList<RemoteItem> items = ListItems(text);
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0], (RemoteItem{QStringLiteral("Document"), QStringLiteral("12"),
                                       QStringLiteral("0001甘草.html")}));
        QCOMPARE(items[1].ItemType, QStringLiteral("Folder"));
        QCOMPARE(items[2].RelationshipName, QStringLiteral("a - b.jpg"));
        // A folder is found like a file.
        QCOMPARE(FindListedItem(text, QStringLiteral("子目录"))->ResourceID, QStringLiteral("13"));
    }

    void lookupRules() {
        const QString text = Listing(
            Item(QStringLiteral("Photo"), QStringLiteral("O!1"), QStringLiteral("人参.jpg")) +
            Item(QStringLiteral("Photo"), QStringLiteral("O!2"), QStringLiteral("人参.JPG")) +
            Item(QStringLiteral("Photo"), QStringLiteral("O!3"), QStringLiteral("人参.jpg")) +
            Item(QStringLiteral("Document"), QStringLiteral("O!4"), QStringLiteral("A&amp;B.txt")) +
            Item(QStringLiteral("Document"), QStringLiteral("5"), QStringLiteral("noowner.txt")) +
            Item(QStringLiteral("Document"), QStringLiteral("O!6!7"), QStringLiteral("two.txt")));
        // The first of two equal names; case matters.
        QCOMPARE(FindListedItem(text, QStringLiteral("人参.jpg"))->ResourceID, QStringLiteral("1"));
        QCOMPARE(FindListedItem(text, QStringLiteral("人参.JPG"))->ResourceID, QStringLiteral("2"));
        QVERIFY(!FindListedItem(text, QStringLiteral("人参.Jpg")));
        // Character references are not resolved.
        QVERIFY(!FindListedItem(text, QStringLiteral("A&B.txt")));
        QCOMPARE(FindListedItem(text, QStringLiteral("A&amp;B.txt"))->ResourceID,
                 QStringLiteral("4"));
        // An identifier without "!" is taken whole; with two, after the first.
        QCOMPARE(FindListedItem(text, QStringLiteral("noowner.txt"))->ResourceID,
                 QStringLiteral("5"));
        QCOMPARE(FindListedItem(text, QStringLiteral("two.txt"))->ResourceID,
                 QStringLiteral("6!7"));
        QVERIFY(!FindListedItem(text, QStringLiteral("")));
    }

    void noItemsTag() {
        const QString items =
            Item(QStringLiteral("Photo"), QStringLiteral("O!1"), QStringLiteral("x.jpg"));
        QVERIFY(ListItems(items).isEmpty());
        QVERIFY(!FindListedItem(items, QStringLiteral("x.jpg")));
        QVERIFY(ListItems(QString()).isEmpty());
        QVERIFY(ListItems(QStringLiteral("<html><body>404 Not Found</body></html>")).isEmpty());
    }

    void fixedOffsets() {
        // A wider separation before the identifier still yields the number when
        // the "!" lies inside the span read; the name needs exactly eight.
        const QString wide =
            Listing(Item(QStringLiteral("D"), QStringLiteral("O!9"), QStringLiteral("name.txt"),
                         QStringLiteral("\r\n        ")));
        QCOMPARE(ListItems(wide).value(0).ResourceID, QStringLiteral("9"));
        const QString off =
            Listing(Item(QStringLiteral("D"), QStringLiteral("O!9"), QStringLiteral("name.txt"),
                         QStringLiteral("\r\n      "), QStringLiteral("\r\n     ")));
        QCOMPARE(ListItems(off).value(0).RelationshipName, QStringLiteral("ame.txt"));
    }

    void malformedListingsStopWithoutCrashing() {
        const QString good =
            Item(QStringLiteral("D"), QStringLiteral("O!1"), QStringLiteral("one.txt"));
        const QString full = Listing(good + good);
        // Cut short anywhere: only whole items come out, never more than two.
        for (qsizetype cut = 0; cut <= full.size(); ++cut) {
            const QList<RemoteItem> items = ListItems(QStringView(full).left(cut));
            QVERIFY(items.size() <= 2);
            for (const RemoteItem& item : items)
                QCOMPARE(item.RelationshipName, QStringLiteral("one.txt"));
        }
        // Tags out of order or too close: lengths would be negative; the scan stops there.
        const QString cramped =
            QStringLiteral("<Items><ItemType>D</ItemType><ResourceID>1</ResourceID>"
                           "<RelationshipName>n</RelationshipName>");
        QVERIFY(ListItems(cramped).isEmpty());
        const QString reversed =
            QStringLiteral("<Items></RelationshipName></ResourceID></ItemType><ItemType>");
        QVERIFY(ListItems(reversed).isEmpty());
        QVERIFY(ListItems(Listing(good + cramped.mid(7) + good)).size() == 1);
    }

    void itemUrlFromListing() {
        const QString text =
            Listing(Item(QStringLiteral("Photo"), QStringLiteral("O!77"), QStringLiteral("p.jpg")));
        QCOMPARE(ItemUrlInListing(QStringLiteral("http://h/items/O!1002"), text,
                                  QStringLiteral("p.jpg")),
                 QStringLiteral("http://h/items/O!77"));
        QCOMPARE(
            ItemUrlInListing(QStringLiteral("http://h/items/1002"), text, QStringLiteral("p.jpg")),
            QStringLiteral("77"));
        QCOMPARE(ItemUrlInListing(QStringLiteral("http://h/items/O!1002"), text,
                                  QStringLiteral("q.jpg")),
                 QString());
    }
};

QTEST_GUILESS_MAIN(TestListing)
#include "test_listing.moc"
