#pragma once

#include <QString>

namespace qinglan::cloudtool {

// Publishes the library folder source as a static store: store/items/<owner>!<n>
// holds every folder listing and every file, store/ids.txt keeps each file's
// resource number so that numbers stay the same from one publish to the next.
// Returns an error message, empty on success; report receives progress lines.
QString Publish(const QString& source, const QString& store, QString* report = nullptr);

} // namespace qinglan::cloudtool
