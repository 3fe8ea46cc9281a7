#pragma once

#include "config/Config.h"
#include "shell/Environment.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

namespace qinglan {

struct NamedBytes;

// How an update check ended.
enum class UpdateCheckEnd {
    Failed,   // no usable version file, or the executable could not be had or saved
    Declined, // a newer version exists and the user said No
    Saved,    // the new executable is saved (or was already there); the program ends
    UpToDate, // nothing newer
};

// The update check: compares currentVersion with the one in the update folder's
// "最新版本.txt" and, when that one is newer and the user agrees, saves the new
// executable (Environment::UpdateDir, created when missing) and says so. Every
// outcome but UpToDate-while-silent is told in a box parented to window. The
// check never waits for the network: it asks, and goes on when the answer comes;
// Finished says how it ended. The owner disables its start-up timer first,
// clears its silent flag on UpToDate and ends the program on Saved.
//
// With a public key in the configuration, the executable's bytes are checked
// against its signature (name + ".sig" in the update folder, over the file's
// name and bytes) in memory, and exactly those bytes are written; a file that
// was already at the save path is never taken unchecked. A refused version goes
// into *rejected so that this run does not offer it again. Without a key, a
// file already at the save path is taken as the update.
class UpdateCheck final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateCheck)

public:
    UpdateCheck(Config config, Environment environment, QString currentVersion, bool silent,
                QWidget* window, QSet<QString>* rejected, QObject* parent = nullptr);

    void Start();

signals:
    void Finished(UpdateCheckEnd end);

private:
    void OnVersionFile(const QString& text);
    void OnExecutable(const NamedBytes& executable);
    void OnSignature(const QByteArray& executable, const NamedBytes& signature);
    void Save(const QByteArray& executable);
    void End(UpdateCheckEnd end);
    void ShowUpdateFailed();

    const Config m_config;
    const Environment m_env;
    const QString m_current;
    const bool m_silent;
    QPointer<QWidget> m_window;
    QSet<QString>* const m_rejected;
    QString m_latest;
    QString m_name;
    QString m_savePath;
};

} // namespace qinglan
