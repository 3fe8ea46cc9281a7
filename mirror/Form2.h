#pragma once

#include "Config.h"
#include "Environment.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

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
    Form2(Config config, Environment environment, std::function<bool()> openMainWindow,
          QWidget* parent = nullptr);
    ~Form2() override;

    // Shows the window centred on the screen.
    void ShowCentred();

    // The start-up tick: opens the main window, then builds ML when it is missing.
    void BuildEntryIndex();

    QString DataPath;
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Config m_config;
    const Environment m_env;
    const std::function<bool()> m_openMainWindow;
    QPixmap m_picture;
};

} // namespace qinglan
