#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qinglan {

// Detached Ed25519 signatures of update files (OpenSSL 3). A signature covers a
// file's name and its bytes, so that it cannot be moved to another file or to
// another version's file.

// The bytes a signature covers: a fixed label, the file name in UTF-8, a line
// break, then the file's bytes.
QByteArray SignedMessage(const QString& fileName, const QByteArray& bytes);

struct SigningKey final {
    QByteArray privatePem; // PKCS#8 PEM of the private key: kept secret
    QString publicKey;     // the raw 32-byte public key in base64: one line, given to builds
};

// A new key pair; nullopt when OpenSSL fails.
std::optional<SigningKey> GenerateSigningKey();

// The public key (base64) of a private key in PEM; empty when it is none.
QString PublicKeyOf(const QByteArray& privatePem);

// The 64-byte signature of fileName and bytes with the private key in PEM;
// empty when the key is not an Ed25519 private key.
QByteArray SignFile(const QByteArray& privatePem, const QString& fileName, const QByteArray& bytes);

// Whether signature is a valid signature of fileName and bytes by the holder of
// publicKey (base64 of the raw 32 bytes). False for anything malformed.
bool VerifyFile(const QString& publicKey, const QString& fileName, const QByteArray& bytes,
                const QByteArray& signature);

} // namespace qinglan
