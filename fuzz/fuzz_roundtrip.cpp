// Names published by qinglan-cloud are read back unchanged by the program's
// listing reader. The input is one file name per line; an optional first line
// of letters and digits is the owner id.

#include "cloud/Listing.h"
#include "cloud/ListingLayout.h"
#include "fuzz/FuzzInput.h"
#include "tools/cloud/Manifest.h"

#include <QStringList>

#include <algorithm>

namespace {

using qinglan::ListedFile;
using qinglan::XmlEscaped;

bool IsOwnerId(const QString& text) {
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    });
}

// Publish refuses names with control characters; a folder holds no empty name.
bool IsPublishableName(const QString& name) {
    return !name.isEmpty() &&
           std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList lines = qinglan::fuzz::Utf8Text(data, size).split(u'\n');
    QString owner = QStringLiteral("7F3A9C20D41E6B85");
    if (IsOwnerId(lines.first()))
        owner = lines.takeFirst();

    static const QString types[] = {QStringLiteral("Document"), QStringLiteral("Photo"),
                                    QStringLiteral("File")};
    qinglan::cloudtool::ResourceIds ids;
    QList<ListedFile> files;
    for (const QString& name : lines) {
        if (!IsPublishableName(name))
            continue;
        const qint64 number = ids.NumberFor(QStringLiteral("data"), name, 100001);
        files.append({types[files.size() % 3], owner, number, name});
    }

    // The listing travels as UTF-8 and is decoded as the program decodes it.
    const QByteArray served = qinglan::ListingText(files).toUtf8();
    const QString listing = QString::fromUtf8(served);
    const QList<qinglan::RemoteItem> items = qinglan::ListItems(listing);

    FUZZ_CHECK(items.size() == files.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const ListedFile& file = files[i];
        FUZZ_CHECK(items[i].ItemType == file.type);
        FUZZ_CHECK(items[i].ResourceID == QString::number(file.number));
        // The reader does not decode character references.
        FUZZ_CHECK(items[i].RelationshipName == XmlEscaped(file.name));
        if (!file.name.contains(u'&') && !file.name.contains(u'<') && !file.name.contains(u'>'))
            FUZZ_CHECK(items[i].RelationshipName == file.name);
    }

    // Looking a published name up finds the first file of that name.
    const QString address =
        QStringLiteral("http://127.0.0.1:8936/items/") + owner + QStringLiteral("!1001");
    for (qsizetype i = 0; i < std::min<qsizetype>(files.size(), 8); ++i) {
        const QString listed = XmlEscaped(files[i].name);
        const auto first = std::find_if(files.cbegin(), files.cend(), [&](const ListedFile& f) {
            return XmlEscaped(f.name) == listed;
        });
        FUZZ_CHECK(qinglan::ItemUrlInListing(address, listing, listed) ==
                   QStringLiteral("http://127.0.0.1:8936/items/") + owner + u'!' +
                       QString::number(first->number));
    }
    return 0;
}
