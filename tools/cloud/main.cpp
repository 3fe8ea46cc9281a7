// qinglan-cloud: publishes a library folder as a static cloud store, and serves it.
#include "cloud/Signature.h"
#include "tools/cloud/Check.h"
#include "tools/cloud/Publish.h"
#include "tools/cloud/Serve.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: qinglan-cloud publish SOURCE STORE [--sign KEYFILE]\n"
                         "       qinglan-cloud keygen KEYFILE\n"
                         "       qinglan-cloud check SOURCE\n"
                         "       qinglan-cloud serve STORE [--port N] [--host ADDRESS] [--log "
                         "FILE] [--latency MS]\n");
    return 2;
}

int Fail(const QString& message) {
    std::fprintf(stderr, "qinglan-cloud: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == u"keygen") {
        QString publicKey;
        const QString error = qinglan::cloudtool::WriteSigningKey(args[1], &publicKey);
        if (!error.isEmpty())
            return Fail(error);
        std::printf("%s\n", publicKey.toLatin1().constData());
        return 0;
    }
    if ((args.size() == 3 || (args.size() == 5 && args[3] == u"--sign")) && args[0] == u"publish") {
        // Asked to sign, the tool signs or publishes nothing: a key file that
        // cannot be read, is empty or holds no private key leaves the store as it was.
        std::optional<QByteArray> key;
        if (args.size() == 5) {
            QFile keyFile(args[4]);
            if (!keyFile.open(QIODevice::ReadOnly))
                return Fail(QStringLiteral("%1: %2").arg(args[4], keyFile.errorString()));
            key = keyFile.readAll();
            if (keyFile.error() != QFileDevice::NoError)
                return Fail(QStringLiteral("%1: %2").arg(args[4], keyFile.errorString()));
            if (qinglan::PublicKeyOf(*key).isEmpty())
                return Fail(QStringLiteral("%1: %2; nothing published")
                                .arg(args[4], key->isEmpty()
                                                  ? QStringLiteral("the key file is empty")
                                                  : QStringLiteral("not an Ed25519 private key")));
        }
        QString report;
        const QString error = qinglan::cloudtool::Publish(args[1], args[2], &report, key);
        std::fputs(report.toLocal8Bit().constData(), stdout);
        return error.isEmpty() ? 0 : Fail(error);
    }
    if (args.size() == 2 && args[0] == u"check") {
        const QStringList problems = qinglan::cloudtool::CheckLibrary(args[1]);
        for (const QString& problem : problems)
            std::fprintf(stdout, "%s\n", problem.toUtf8().constData());
        if (problems.isEmpty())
            std::fprintf(stdout, "qinglan-cloud: %s is sound\n",
                         QFile::encodeName(args[1]).constData());
        return problems.isEmpty() ? 0 : 1;
    }
    if (args.size() >= 2 && args[0] == u"serve") {
        qinglan::cloudtool::ServeOptions options;
        options.store = args[1];
        for (qsizetype i = 2; i < args.size(); i += 2) {
            if (i + 1 >= args.size())
                return Usage();
            if (args[i] == u"--port") {
                bool ok = false;
                options.port = args[i + 1].toInt(&ok);
                if (!ok || options.port < 0 || options.port > 65535)
                    return Usage();
            } else if (args[i] == u"--log") {
                options.logFile = args[i + 1];
            } else if (args[i] == u"--latency") {
                bool ok = false;
                options.latencyMs = args[i + 1].toInt(&ok);
                if (!ok || options.latencyMs < 0 || options.latencyMs > 60000)
                    return Usage();
            } else if (args[i] == u"--host") {
                options.host = args[i + 1];
            } else {
                return Usage();
            }
        }
        const QString error = qinglan::cloudtool::Serve(options);
        return error.isEmpty() ? 0 : Fail(error);
    }
    return Usage();
}
