#pragma once

#include "config/Config.h"
#include "mirror/BulkDownload.h"
#include "shell/Environment.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace qinglan {

// The please-wait window: the program's first window, which has the main window
// opened and builds the entry index when there is none yet; later the window of
// the bulk download's progress. It says with signals what concerns the main
// window and the program; the program connects them.
class Form2 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    Form2(Config config, Environment environment);
    ~Form2() override;

    // The start-up tick: has the main window opened; once it is (MainWindowOpened),
    // builds ML when it is missing.
    void BuildEntryIndex();
    void MainWindowOpened();
    // The main window could not be loaded: start-up stops and the window closes.
    void AbortStartup();

    // The bulk download: shows the progress controls with an empty fill, and one
    // second later (Timer2) downloads every entry that is not on disk yet.
    void ShowDownloadControls();
    void RunBulkDownload();

    // What the box at the end of a pass says: the completion text when every
    // listed entry is there, else how many could not be had and why.
    static QString PassEndText(const BulkPassResult& result, const QString& dataPath);

    // The number of items at which the progress fill spans the whole track.
    static constexpr int ExpectedEntryCount = 6022;

    QString DataPath() const { return m_env.DataPath(); }

    QTimer* const Timer1;
    QTimer* const Timer2;
    QLabel* const Label2;        // progress track
    QLabel* const Label1;        // progress fill
    QLabel* const Label3;        // notice
    QPushButton* const Command1; // Cancel: ends the program at once

signals:
    // The main window is to be shown (loaded first when it is not yet).
    void MainWindowWanted();
    // A bulk pass is over (it wrote stored entry files): the main window is to be
    // shown again.
    void PassEnded(int stored);
    // Cancel was pressed: the program is to end at once, closing no window.
    void CancelRequested();
    // The user closed this window before the program had started: the program ends.
    void EndRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const Config m_config;
    const Environment m_env;
    QPixmap m_picture;
    void DownloadListed(const QList<RemoteItem>& items);

    bool m_startupAborted = false;
    bool m_startupDone = false;
    bool m_waitingForMainWindow = false;
};

} // namespace qinglan
