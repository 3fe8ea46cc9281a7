#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace qinglan::cloudtool {

// A library folder: one subfolder of the source per remote folder.
struct LibraryFolder final {
    QString directory;
    int number = 0; // the remote folder's resource number, 16-bit
};

// SOURCE/cloud.manifest: "owner <id>" and one "folder <directory> <number>" per
// folder; blank lines and lines starting with "#" are ignored.
struct LibraryManifest final {
    QString owner;
    QList<LibraryFolder> folders;
};
QString ReadLibraryManifest(const QString& source, LibraryManifest* manifest);

// STORE/ids.txt: "<number>\t<directory>/<file name>" per line, UTF-8. Numbers
// once given are never given to another file.
class ResourceIds final {
public:
    qint64 NumberFor(const QString& directory, const QString& name, qint64 firstNumber);

    QHash<QString, qint64> byKey;
    qint64 highest = 0;
};
QString ReadResourceIds(const QString& store, ResourceIds* ids);
QString WriteResourceIds(const QString& store, const ResourceIds& ids);

} // namespace qinglan::cloudtool
