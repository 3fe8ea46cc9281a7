#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qinglan::cloudtool {

// Publishes the library folder source as a static store: store/items/<owner>!<n>
// holds every folder listing and every file, store/ids.txt keeps each file's
// resource number so that numbers stay the same from one publish to the next.
// Returns an error message, empty on success; report receives progress lines.
// With signingKey (an Ed25519 private key in PEM), every file of the update
// folder is published with its detached signature, one more item named after
// it plus ".sig", over the file's name and bytes as served. A signing key that
// is empty or no such key is an error before anything is written.
QString Publish(const QString& source, const QString& store, QString* report = nullptr,
                const std::optional<QByteArray>& signingKey = std::nullopt);

// Whether a file of the library is text: written in UTF-8, published in GBK.
bool IsTextFile(const QString& name);

// The GBK bytes a text file of the library is published as, in *stored. Returns
// an error message naming sourcePath (with the first character GBK lacks, when
// that is the reason) for text that is not UTF-8 or that GBK cannot hold.
QString ToStoredText(const QByteArray& utf8, const QString& sourcePath, QByteArray* stored);

// The folder whose files are signed.
inline const QString UpdateFolderName = QStringLiteral("update");

// Writes a new signing key to keyFile (PEM, readable by its owner only; an
// existing file is never replaced) and gives its public key, one line of
// base64. Returns an error message, empty on success.
QString WriteSigningKey(const QString& keyFile, QString* publicKey);

} // namespace qinglan::cloudtool
