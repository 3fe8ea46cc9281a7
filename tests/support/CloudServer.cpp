#include "tests/support/CloudServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

QString CloudToolPath() { return QStringLiteral(QINGLAN_CLOUD_TOOL); }

bool TestLibrary::WriteTo(const QString& dir) const {
    QDir().mkpath(dir);
    QByteArray manifest = "owner " + owner.toUtf8() + "\n";
    for (const Folder& folder : folders) {
        manifest +=
            "folder " + folder.directory.toUtf8() + ' ' + QByteArray::number(folder.number) + '\n';
        const QString folderPath = dir + u'/' + folder.directory;
        QDir(folderPath).removeRecursively();
        if (!QDir().mkpath(folderPath))
            return false;
        for (auto it = folder.files.constBegin(); it != folder.files.constEnd(); ++it) {
            QFile file(folderPath + u'/' + it.key());
            if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
                return false;
        }
    }
    QFile file(dir + QStringLiteral("/cloud.manifest"));
    return file.open(QIODevice::WriteOnly) && file.write(manifest) == manifest.size();
}

int RunPublish(const QString& source, const QString& store, QString* output,
               const QString& signingKey) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{QStringLiteral("publish"), source, store};
    if (!signingKey.isEmpty())
        args << QStringLiteral("--sign") << signingKey;
    process.start(CloudToolPath(), args);
    if (!process.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

CloudServer::CloudServer() = default;

CloudServer::~CloudServer() { Stop(); }

bool CloudServer::Publish(const TestLibrary& library, QString* error, const QString& signingKey) {
    const QString source = m_dir.filePath(QStringLiteral("source"));
    QDir(source).removeRecursively();
    if (!library.WriteTo(source))
        return false;
    QString output;
    const int code = RunPublish(source, storePath(), &output, signingKey);
    if (error)
        *error = output;
    return code == 0;
}

bool CloudServer::Start() {
    QDir().mkpath(storePath() + QStringLiteral("/items"));
    QStringList extra{QStringLiteral("--log"), m_dir.filePath(QStringLiteral("requests.log"))};
    if (m_latencyMs > 0)
        extra << QStringLiteral("--latency") << QString::number(m_latencyMs);
    const QString error = m_server.Start(CloudToolPath(), storePath(), extra, m_lastPort);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    m_lastPort = m_server.port();
    return error.isEmpty();
}

void CloudServer::Stop() { m_server.Stop(); }

QString CloudServer::ItemsBaseUrl(const QString& owner) const {
    return QStringLiteral("http://127.0.0.1:%1/items/%2!").arg(m_lastPort).arg(owner);
}

QStringList CloudServer::RequestLog() const {
    QFile file(m_dir.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

int CloudServer::CountRequests(const QString& pathPart) const {
    int count = 0;
    for (const QString& line : RequestLog())
        count += line.contains(pathPart) ? 1 : 0;
    return count;
}
