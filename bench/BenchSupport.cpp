#include "bench/BenchSupport.h"

#include "cloud/BlockingHttp.h"
#include "entries/DataLayout.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

double Median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString Ms(double milliseconds) {
    return QString::number(milliseconds, 'f', milliseconds < 1 ? 3 : 2) + QStringLiteral(" ms");
}

void Say(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Fail(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 message.toUtf8().constData());
    std::exit(1);
}

namespace {

void AppendRow(const QStringList& cells) {
    Say(QStringLiteral("  ") + cells.join(QStringLiteral(" | ")));
    const QString rows = qEnvironmentVariable("BENCH_ROWS");
    if (rows.isEmpty())
        return;
    QFile file(rows);
    const QByteArray line = cells.join(u'|').toUtf8() + '\n';
    if (!file.open(QIODevice::Append) || file.write(line) != line.size())
        Fail(QStringLiteral("cannot append to %1").arg(rows));
}

QString Ratio(double ours, std::optional<double> reference) {
    return reference && *reference > 0 ? QString::number(ours / *reference, 'f', 2) + u'x'
                                       : QStringLiteral("-");
}

} // namespace

void ReportRow(const QString& figure, double oursMs, std::optional<double> referenceMs, Goal goal) {
    const QString reference = referenceMs ? Ms(*referenceMs) : QStringLiteral("-");
    const bool hasRatio = referenceMs && *referenceMs > 0;
    const double ratio = hasRatio ? oursMs / *referenceMs : 0;
    QString goalText = QStringLiteral("-");
    if (goal.kind == Goal::BelowMs)
        goalText = QStringLiteral("< %1 ms (%2)")
                       .arg(goal.value)
                       .arg(oursMs < goal.value ? QStringLiteral("met") : QStringLiteral("missed"));
    else if (goal.kind == Goal::RatioAtMost && hasRatio)
        goalText = QStringLiteral("<= %1x (%2)")
                       .arg(goal.value)
                       .arg(ratio <= goal.value ? QStringLiteral("met") : QStringLiteral("missed"));
    AppendRow({figure, Ms(oursMs), reference, Ratio(oursMs, referenceMs), goalText});
}

void ReportAmountRow(const QString& figure, double ours, std::optional<double> reference,
                     const QString& unit, Goal goal) {
    const auto amount = [&](double v) { return QString::number(v, 'f', 1) + u' ' + unit; };
    QString goalText = QStringLiteral("-");
    if (goal.kind == Goal::RatioAtMost && reference && *reference > 0)
        goalText = QStringLiteral("<= %1x (%2)")
                       .arg(goal.value)
                       .arg(ours / *reference <= goal.value ? QStringLiteral("met")
                                                            : QStringLiteral("missed"));
    AppendRow({figure, amount(ours), reference ? amount(*reference) : QStringLiteral("-"),
               Ratio(ours, reference), goalText});
}

double ProcessMemoryMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

QList<qinglan::RemoteItem> DataListing(const QString& base) {
    const auto listing = qinglan::HttpGetText(base + QStringLiteral("1001"));
    if (!listing)
        Fail(QStringLiteral("cannot read the data folder listing"));
    return qinglan::ListItems(*listing);
}

double TimeCurl(const QList<qinglan::RemoteItem>& items, const QString& base, const QString& dir,
                const QStringList& extra) {
    QDir().mkpath(dir);
    QByteArray config;
    for (const qinglan::RemoteItem& item : items) {
        if (const auto file = qinglan::EntryFileName(item.RelationshipName))
            config += "url = \"" + (base + item.ResourceID).toUtf8() + "\"\noutput = \"" +
                      (dir + u'/' + *file).toUtf8() + "\"\n";
    }
    QFile out(dir + QStringLiteral(".curlrc"));
    if (!out.open(QIODevice::WriteOnly) || out.write(config) != config.size())
        Fail(QStringLiteral("cannot write the curl config"));
    out.close();
    QProcess curl;
    return TimeMs([&] {
        curl.start(QStringLiteral("curl"),
                   QStringList{QStringLiteral("-s"), QStringLiteral("-K"), out.fileName()} + extra);
        if (!curl.waitForFinished(900000) || curl.exitCode() != 0)
            Fail(QStringLiteral("curl failed"));
    });
}

QString ServedStore::Start(const QString& source, const QString& store) {
    const QString tool = QStringLiteral(QINGLAN_CLOUD_TOOL);
    QProcess publish;
    publish.setProcessChannelMode(QProcess::MergedChannels);
    publish.start(tool, {QStringLiteral("publish"), source, store});
    if (!publish.waitForFinished(120000) || publish.exitStatus() != QProcess::NormalExit ||
        publish.exitCode() != 0)
        return QStringLiteral("publishing %1 failed: %2")
            .arg(source, QString::fromLocal8Bit(publish.readAll()));
    return m_server.Start(tool, store);
}

QString ServedStore::Serve(const QString& store, const QStringList& extra) {
    if (const QString error = m_server.Start(QStringLiteral(QINGLAN_CLOUD_TOOL), store, extra);
        !error.isEmpty())
        Fail(error);
    return ItemsBaseUrl(SynthOwner);
}

} // namespace bench
