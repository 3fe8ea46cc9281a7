#pragma once

#include "Config.h"
#include "Environment.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace qinglan {

// The please-wait window: the program's first window, which opens the main
// window and builds the entry index when there is none yet.
class Form2 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    // openMainWindow shows the main window, loading it first when needed; it
    // returns false when the main window could not be loaded.
    Form2(Config config, Environment environment, QWidget* mainWindow,
          std::function<bool()> openMainWindow);
    ~Form2() override;

    // Shows the window centred on the screen.
    void ShowCentred();

    // The start-up tick: opens the main window, then builds ML when it is missing.
    void BuildEntryIndex();

    // The bulk download: shows the progress controls, and one second later
    // (Timer2) downloads every entry that is not on disk yet.
    void ShowDownloadControls();
    void RunBulkDownload();

    // The number of items at which the progress fill spans the whole track.
    static constexpr int ExpectedEntryCount = 6022;

    QString DataPath;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QLabel* Label1 = nullptr; // progress fill
    QLabel* Label2 = nullptr; // progress track
    QLabel* Label3 = nullptr; // notice
    QPushButton* Command1 = nullptr; // Cancel: ends the program at once
    std::function<void()> TerminateProgram;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Config m_config;
    const Environment m_env;
    QWidget* const m_mainWindow;
    const std::function<bool()> m_openMainWindow;
    QPixmap m_picture;
};

} // namespace qinglan
