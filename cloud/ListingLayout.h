#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace qinglan {

// The layout of a folder listing, shared by its reader (Listing.cpp) and its
// writer (ListingText, which the cloud tool publishes). The reader searches for
// the start tag of the items and for the closing tags; the two opening tags
// before an identifier and a name are skipped by count, so exactly
// Separation characters must stand between a closing tag and the next
// opening tag.
namespace listing {
inline constexpr QStringView ItemsOpen = u"<Items>";
inline constexpr QStringView TypeOpen = u"<ItemType>";
inline constexpr QStringView TypeClose = u"</ItemType>";
inline constexpr QStringView IdOpen = u"<ResourceID>";
inline constexpr QStringView IdClose = u"</ResourceID>";
inline constexpr QStringView NameOpen = u"<RelationshipName>";
inline constexpr QStringView NameClose = u"</RelationshipName>";
inline constexpr QStringView Separation = u"\r\n      ";
static_assert(Separation.size() == 8);

// From the start of a closing tag to the start of the next value: the closing
// tag, the separation and the skipped opening tag.
inline constexpr qsizetype IdOffset = TypeClose.size() + Separation.size() + IdOpen.size();
inline constexpr qsizetype NameOffset = IdClose.size() + Separation.size() + NameOpen.size();
static_assert(IdOffset == 31 && NameOffset == 39);
} // namespace listing

// One file of a listing as the writer knows it.
struct ListedFile final {
    QString type;  // "Document", "Photo", ...
    QString owner; // the account's owner id
    qint64 number = 0;
    QString name;
};

// The listing text of a folder in the layout above; names stand as XML text
// ("&", "<" and ">" become references).
QString ListingText(const QList<ListedFile>& files);

// Names in a listing stand as XML text: "&", "<" and ">" become references.
QString XmlEscaped(const QString& name);

} // namespace qinglan
