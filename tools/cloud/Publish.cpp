#include "tools/cloud/Publish.h"

#include "cloud/ListingLayout.h"
#include "cloud/Signature.h"
#include "tools/cloud/Manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace qinglan::cloudtool {

namespace {

// Item numbers start above every 16-bit folder number.
constexpr qint64 FirstItemNumber = 100001;

QString ItemType(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == u"html" || suffix == u"htm" || suffix == u"txt")
        return QStringLiteral("Document");
    if (suffix == u"jpg" || suffix == u"jpeg" || suffix == u"png" || suffix == u"gif")
        return QStringLiteral("Photo");
    return QStringLiteral("File");
}

// The first character of text that does not survive the way to GBK and back.
QString FirstCharacterGbkLacks(const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        QStringEncoder encoder("GBK");
        QStringDecoder decoder("GBK");
        if (decoder.decode(encoder.encode(one)) != one)
            return one;
    }
    return {};
}

QString WriteWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return {};
}

QStringList FilesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
    // Code-point order, independent of the locale.
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; });
    return names;
}

} // namespace

bool IsTextFile(const QString& name) { return ItemType(name) == u"Document"; }

QString ToStoredText(const QByteArray& utf8, const QString& sourcePath, QByteArray* stored) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(utf8);
    if (decoder.hasError())
        return QStringLiteral("%1: not valid UTF-8").arg(sourcePath);
    QStringEncoder encoder("GBK");
    *stored = encoder.encode(text);
    QStringDecoder back("GBK");
    if (encoder.hasError() || back.decode(*stored) != text) {
        const QString lacking = FirstCharacterGbkLacks(text);
        return QStringLiteral("%1: holds characters that GBK cannot represent%2")
            .arg(sourcePath, lacking.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(lacking));
    }
    return {};
}

QString WriteSigningKey(const QString& keyFile, QString* publicKey) {
    const auto key = GenerateSigningKey();
    if (!key)
        return QStringLiteral("cannot make a key (OpenSSL)");
    const QByteArray name = QFile::encodeName(keyFile);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QStringLiteral("%1: %2").arg(keyFile, QString::fromLocal8Bit(std::strerror(errno)));
    const bool written = ::write(fd, key->privatePem.constData(), size_t(key->privatePem.size())) ==
                         key->privatePem.size();
    if (::close(fd) != 0 || !written) {
        ::unlink(name.constData());
        return QStringLiteral("%1: cannot be written").arg(keyFile);
    }
    *publicKey = key->publicKey;
    return {};
}

QString Publish(const QString& source, const QString& store, QString* report,
                const std::optional<QByteArray>& signingKey) {
    if (signingKey && PublicKeyOf(*signingKey).isEmpty())
        return QStringLiteral("the signing key is not an Ed25519 private key");
    LibraryManifest manifest;
    if (QString error = ReadLibraryManifest(source, &manifest); !error.isEmpty())
        return error;

    const QString itemsDir = store + QStringLiteral("/items");
    if (!QDir().mkpath(itemsDir))
        return QStringLiteral("%1: cannot create the folder").arg(itemsDir);

    ResourceIds ids;
    if (QString error = ReadResourceIds(store, &ids); !error.isEmpty())
        return error;

    QHash<QString, bool> published; // store file names written by this publish
    qint64 fileCount = 0;
    for (const LibraryFolder& folder : manifest.folders) {
        const QString folderPath = source + u'/' + folder.directory;
        QList<ListedFile> listed;
        // The update folder's files are signed when a key is given; signatures
        // in the source are made anew rather than copied.
        const bool sign = signingKey && folder.directory == UpdateFolderName;
        const auto store = [&](const QString& name, const QByteArray& bytes) {
            const qint64 number = ids.NumberFor(folder.directory, name, FirstItemNumber);
            const QString storeName = manifest.owner + u'!' + QString::number(number);
            if (QString error = WriteWhole(itemsDir + u'/' + storeName, bytes); !error.isEmpty())
                return error;
            published.insert(storeName, true);
            listed.append({ItemType(name), manifest.owner, number, name});
            ++fileCount;
            return QString();
        };
        for (const QString& name : FilesOf(folderPath)) {
            const QString sourcePath = folderPath + u'/' + name;
            if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20; }))
                return QStringLiteral("%1: control characters in a file name").arg(sourcePath);
            QFile file(sourcePath);
            if (!file.open(QIODevice::ReadOnly))
                return QStringLiteral("%1: %2").arg(sourcePath, file.errorString());
            QByteArray bytes = file.readAll();
            if (IsTextFile(name)) {
                QByteArray stored;
                if (QString error = ToStoredText(bytes, sourcePath, &stored); !error.isEmpty())
                    return error;
                bytes = std::move(stored);
            }
            if (sign && name.endsWith(QStringLiteral(".sig")))
                continue;
            if (QString error = store(name, bytes); !error.isEmpty())
                return error;
            if (sign) {
                // Over the bytes as served: what the program downloads and checks.
                const QByteArray signature = SignFile(*signingKey, name, bytes);
                if (signature.isEmpty())
                    return QStringLiteral("the signing key is not an Ed25519 private key");
                if (QString error = store(name + QStringLiteral(".sig"), signature);
                    !error.isEmpty())
                    return error;
            }
        }
        const QString listingName = manifest.owner + u'!' + QString::number(folder.number);
        const QString error =
            WriteWhole(itemsDir + u'/' + listingName, ListingText(listed).toUtf8());
        if (!error.isEmpty())
            return error;
        published.insert(listingName, true);
        if (report)
            *report += QStringLiteral("%1 -> %2 (%3 files)\n")
                           .arg(folder.directory, listingName)
                           .arg(listed.size());
    }

    // Files of the store that this publish did not write (removed from the
    // library) are taken away; their numbers stay reserved in ids.txt.
    for (const QString& name : QDir(itemsDir).entryList(QDir::Files | QDir::Hidden)) {
        if (!published.contains(name))
            QFile::remove(itemsDir + u'/' + name);
    }
    if (QString error = WriteResourceIds(store, ids); !error.isEmpty())
        return error;
    if (report)
        *report += QStringLiteral("published %1 files in %2 folders\n")
                       .arg(fileCount)
                       .arg(manifest.folders.size());
    return {};
}

} // namespace qinglan::cloudtool
