#include "cloud/Signature.h"

#include "cloud/Log.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace qinglan {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

Key PrivateKey(const QByteArray& pem) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.constData(), int(pem.size())));
    if (!bio)
        return nullptr;
    Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    if (key && EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519)
        return nullptr;
    return key;
}

QString RawPublicKey(EVP_PKEY* key) {
    unsigned char raw[32];
    size_t length = sizeof raw;
    if (EVP_PKEY_get_raw_public_key(key, raw, &length) != 1 || length != sizeof raw)
        return {};
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(raw), int(length)).toBase64());
}

} // namespace

QByteArray SignedMessage(const QString& fileName, const QByteArray& bytes) {
    return QByteArrayLiteral("qinglan update signature 1\n") + fileName.toUtf8() + '\n' + bytes;
}

std::optional<SigningKey> GenerateSigningKey() {
    Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
    if (!key)
        return std::nullopt;
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return std::nullopt;
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    SigningKey signing{QByteArray(data, int(length)), RawPublicKey(key.get())};
    if (signing.publicKey.isEmpty())
        return std::nullopt;
    return signing;
}

QString PublicKeyOf(const QByteArray& privatePem) {
    const Key key = PrivateKey(privatePem);
    return key ? RawPublicKey(key.get()) : QString();
}

QByteArray SignFile(const QByteArray& privatePem, const QString& fileName,
                    const QByteArray& bytes) {
    const Key key = PrivateKey(privatePem);
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!key || !context ||
        EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return {};
    const QByteArray message = SignedMessage(fileName, bytes);
    QByteArray signature(64, '\0');
    size_t length = size_t(signature.size());
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(message.constData()),
                       size_t(message.size())) != 1 ||
        length != 64)
        return {};
    return signature;
}

bool VerifyFile(const QString& publicKey, const QString& fileName, const QByteArray& bytes,
                const QByteArray& signature) {
    const QByteArray raw = QByteArray::fromBase64(publicKey.trimmed().toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (raw.size() != 32 || signature.size() != 64)
        return false;
    const Key key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(raw.constData()),
        size_t(raw.size())));
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!key || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    const QByteArray message = SignedMessage(fileName, bytes);
    const bool valid =
        EVP_DigestVerify(
            context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
            size_t(signature.size()), reinterpret_cast<const unsigned char*>(message.constData()),
            size_t(message.size())) == 1;
    if (!valid)
        qCWarning(lcCloud) << "the signature of" << fileName << "is not valid";
    return valid;
}

} // namespace qinglan
