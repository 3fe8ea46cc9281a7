#pragma once

#include "Config.h"
#include "Environment.h"

#include <QObject>

#include <memory>

namespace qinglan {

class Form1;
class Form2;

// The program's windows and how they meet: the splash comes first and opens the
// main window one second later.
class Program final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Program)

public:
    Program(const Config& config, const Environment& environment);
    ~Program() override;

    void Start();

    Form1& MainWindow() { return *m_form1; }
    Form2& Splash() { return *m_form2; }

signals:
    // The main window could not be loaded; the failure has been reported.
    void StartFailed();

private:
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
};

} // namespace qinglan
