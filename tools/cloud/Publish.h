#pragma once

#include <QString>

namespace qinglan::cloudtool {

// Publishes the library folder source as a static store: store/items/<owner>!<n>
// holds every folder listing and every file, store/ids.txt keeps each file's
// resource number so that numbers stay the same from one publish to the next.
// Returns an error message, empty on success; report receives progress lines.
QString Publish(const QString& source, const QString& store, QString* report = nullptr);

// The listing of a folder, in the layout the program reads.
struct ListedFile final {
    QString type;
    QString owner;
    qint64 number = 0;
    QString name;
};
QString ListingText(const QList<ListedFile>& files);

// Names in a listing stand as XML text: "&", "<" and ">" become references.
QString XmlEscaped(const QString& name);

} // namespace qinglan::cloudtool
