#pragma once

// What the benchmarks share: timing, medians, the rows of the final table and a
// served cloud store.

#include "cloud/Listing.h"
#include "tools/cloud/ServerProcess.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace bench {

// Milliseconds that work takes.
template <typename Work>
double TimeMs(Work&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double Median(QList<double> values);

// "12.34 ms"
QString Ms(double milliseconds);

// Writes one line to standard output at once (UTF-8).
void Say(const QString& line);

// Reports a failed set-up on standard error and ends the benchmark with status 1.
[[noreturn]] void Fail(const QString& message);

// What a figure is held against: an absolute time, or a ratio to its reference.
struct Goal {
    enum Kind { None, BelowMs, RatioAtMost };
    Kind kind = None;
    double value = 0;
};

// Prints a figure and appends it to the table that bench/run.sh shows at the
// end (the file named by BENCH_ROWS): figure | ours | reference | ratio | goal.
void ReportRow(const QString& figure, double oursMs, std::optional<double> referenceMs,
               Goal goal = {});
// The same for a figure in another unit ("MiB"), with a ratio goal or none.
void ReportAmountRow(const QString& figure, double ours, std::optional<double> reference,
                     const QString& unit, Goal goal = {});

// A figure of /proc/self/status in MiB ("VmRSS", "VmHWM"); -1 when unknown.
double ProcessMemoryMiB(const char* key);

// Processes events until done() holds; false when timeoutMs passed first.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// The entries the served data folder (1001) lists; the benchmark fails when
// the listing cannot be read.
QList<qinglan::RemoteItem> DataListing(const QString& base);

// Milliseconds curl takes, in one process, to download every listed entry with
// a file name of its own from base into dir, as a bulk pass does; extra are
// further curl arguments. The benchmark fails when curl does.
double TimeCurl(const QList<qinglan::RemoteItem>& items, const QString& base, const QString& dir,
                const QStringList& extra = {});

// The owner id of the synthetic library (qinglan-synth-library).
inline const QString SynthOwner = QStringLiteral("7F3A9C20D41E6B85");

// A cloud store served by qinglan-cloud on a free loopback port; the server
// stops when this is destroyed.
class ServedStore final {
public:
    // Publishes source into store and starts serving it. Returns an error
    // description, empty on success.
    QString Start(const QString& source, const QString& store);
    // Serves a store published before, with extra serve options ("--latency",
    // "20"); the synthetic library's items address, or the benchmark fails.
    QString Serve(const QString& store, const QStringList& extra = {});
    // http://127.0.0.1:PORT/items/OWNER!
    QString ItemsBaseUrl(const QString& owner) const { return m_server.ItemsBaseUrl(owner); }

private:
    qinglan::cloudtool::ServerProcess m_server;
};

} // namespace bench
