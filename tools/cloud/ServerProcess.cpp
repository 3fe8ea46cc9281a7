#include "tools/cloud/ServerProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <csignal>
#include <sys/prctl.h>

namespace qinglan::cloudtool {

ServerProcess::~ServerProcess() { Stop(); }

QString ServerProcess::Start(const QString& tool, const QString& store, const QStringList& extra,
                             int port) {
    Stop();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(tool, QStringList{QStringLiteral("serve"), store, QStringLiteral("--port"),
                                      QString::number(port)} +
                              extra);
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("cannot run %1: %2").arg(tool, m_process.errorString());
    // The server names its address on its first line once it listens.
    static const QRegularExpression address(QStringLiteral("127\\.0\\.0\\.1:(\\d+)/items/"));
    QByteArray out;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
        const auto match = address.match(QString::fromUtf8(out));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            return {};
        }
    }
    return QStringLiteral("the server did not start: %1").arg(QString::fromLocal8Bit(out));
}

void ServerProcess::Stop() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_port = 0;
}

QString ServerProcess::ItemsBaseUrl(const QString& owner) const {
    return QStringLiteral("http://127.0.0.1:%1/items/%2!").arg(m_port).arg(owner);
}

} // namespace qinglan::cloudtool
