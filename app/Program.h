#pragma once

#include "config/Config.h"
#include "shell/Environment.h"

#include <QObject>

#include <functional>
#include <memory>

class QWebEngineProfile;

namespace qinglan {

class Form1;
class Form2;

// The program's windows and how they meet. It owns the web profile every view
// uses, creates the splash and the main window and connects them: the splash
// comes first and opens the main window one second later; the bulk download
// hides the main window and shows the splash's progress until the pass ends;
// closing the main window ends the program with every other window.
class Program final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Program)

public:
    Program(const Config& config, const Environment& environment);
    ~Program() override;

    void Start();

    Form1& MainWindow() { return *m_form1; }
    Form2& Splash() { return *m_form2; }

    // How the process ends at once (Cancel of the bulk download, a saved update);
    // tests replace it.
    void SetTerminate(std::function<void()> terminate) { m_terminate = std::move(terminate); }

signals:
    // The main window could not be loaded; the failure has been reported.
    void StartFailed();
    // The main window was closed: every other window is closed, transfers are
    // abandoned, and the event loop has been told to quit.
    void Ended();

public:
    // Ends the program: every transfer is abandoned, every other window closed,
    // and the event loop told to end. What closing the main window does.
    void End();

private:
    bool m_ended = false;

    QWebEngineProfile* const m_profile;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::function<void()> m_terminate;
};

// Runs the program in this application until it ends: the event loop's exit
// status, 1 when the main window could not be loaded (the failure was reported).
int RunProgram(const Config& config, const Environment& environment);

} // namespace qinglan
