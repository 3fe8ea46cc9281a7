#pragma once

#include "Config.h"
#include "Environment.h"

#include <QString>

#include <functional>

class QTimer;
class QWidget;

namespace qinglan {

// The update check: compares this version with the one in the update folder's
// "最新版本.txt" and, when that one is newer and the user agrees, saves the new
// executable beside the running one and ends the program.
struct UpdateCheck final {
    Config config;
    Environment environment;
    QWidget* window = nullptr;       // the main window: parent of the boxes
    QTimer* startupTimer = nullptr;  // the main window's Timer1
    QString* silentFlag = nullptr;   // its Tag: "1" when the check runs by itself
    // Ends the program at once, without closing windows.
    std::function<void()> terminate;

    void Run() const;
};

} // namespace qinglan
