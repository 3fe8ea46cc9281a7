#pragma once

#include "app/Form1.h"
#include "tests/support/Sandbox.h"

#include <memory>

// A main window over a sandbox of its own, not opened yet. Its timers are held
// back (an hour) unless a test starts them.
struct MainWindow : Sandbox {
    std::unique_ptr<qinglan::Form1> form;

    explicit MainWindow(const qinglan::Config& config);
    // Opens the window (start-up runs) and waits until it shows itself; false
    // when start-up failed.
    bool Open();
    // Runs one query as the button does, and waits until it has ended.
    void Query(const QString& text);
    // Waits until no query runs any more.
    bool WaitForQuery();
};
