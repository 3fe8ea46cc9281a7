// Draws Qinglan's icons, backgrounds and entry pictures and writes them into
// the repository given on the command line.

#include "tools/artwork/pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

bool save(const QImage& image, const QString& path, const char* format, int quality = -1) {
    if (image.isNull()) {
        err() << "nothing drawn for " << path << Qt::endl;
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        err() << "cannot create the folder for " << path << Qt::endl;
        return false;
    }
    QImageWriter writer(path, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) {
        err() << "cannot write " << path << ": " << writer.errorString() << Qt::endl;
        return false;
    }
    QTextStream(stdout) << QFileInfo(path).size() << "\t" << path << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        err() << "usage: qinglan-artwork REPOSITORY_ROOT" << Qt::endl;
        return 2;
    }
    const QDir root(args.at(1));
    if (!root.exists()) {
        err() << "no such directory: " << args.at(1) << Qt::endl;
        return 2;
    }
    const QString resources = root.filePath(QStringLiteral("resources"));
    const QString pictures = root.filePath(QStringLiteral("library/pictures"));

    bool ok = true;
    ok &= save(art::appIcon(32), resources + QStringLiteral("/qinglan.png"), "png");
    ok &= save(art::appIcon(256), resources + QStringLiteral("/qinglan-256.png"), "png");
    ok &= save(art::backgroundTile(), resources + QStringLiteral("/QNLNBJ1.JPG"), "jpeg", 75);
    ok &= save(art::splashPicture(), resources + QStringLiteral("/splash.png"), "png");
    ok &= save(art::infoPicture(), resources + QStringLiteral("/info_background.png"), "png");
    for (const QString& name : art::entryNames())
        ok &= save(art::entryPicture(name), pictures + '/' + name + QStringLiteral(".jpg"), "jpeg",
                   85);
    ok &= save(art::placeholderPicture(), pictures + QStringLiteral("/暂无图片.jpg"), "jpeg", 85);
    return ok ? 0 : 1;
}
