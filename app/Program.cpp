#include "app/Program.h"

#include "app/Form1.h"
#include "cloud/Transfers.h"
#include "mirror/Form2.h"
#include "search/IndexKeeper.h"
#include "search/QueryRunner.h"
#include "shell/HtmlView.h"
#include "shell/Placement.h"
#include "shell/ProgramEnd.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTimer>
#include <QWebEngineProfile>

namespace qinglan {

Program::Program(const Config& config, const Environment& environment)
    : m_profile(ConfigureProgramProfile(QWebEngineProfile::defaultProfile())),
      m_form1(std::make_unique<Form1>(config, environment, m_profile)),
      m_form2(std::make_unique<Form2>(config, environment)), m_terminate(&TerminateNow) {
    connect(m_form2.get(), &Form2::MainWindowWanted, this, [this] {
        if (!m_form1->Open()) {
            m_form2->AbortStartup();
            emit StartFailed();
        }
    });
    connect(m_form1.get(), &Form1::Opened, m_form2.get(), &Form2::MainWindowOpened);
    connect(m_form2.get(), &Form2::EndRequested, this, &Program::End);
    connect(m_form1.get(), &Form1::BulkDownloadRequested, m_form2.get(),
            &Form2::ShowDownloadControls);
    connect(m_form2.get(), &Form2::PassEnded, m_form1.get(), [this](int stored) {
        m_form1->show();
        // A pass that wrote entry files brings the content index up to them; one
        // that wrote none leaves it as it is.
        if (stored > 0 && m_form1->Keeper())
            m_form1->Keeper()->Resync();
    });
    connect(m_form2.get(), &Form2::CancelRequested, this, [this] {
        // At once, but the downloads in flight leave no part file behind.
        Transfers::Instance().AbandonAll();
        m_terminate();
    });
    connect(m_form1.get(), &Form1::TerminateRequested, this, [this] { m_terminate(); });
    connect(m_form1.get(), &Form1::OpenExternally, this,
            [](const QUrl& address) { QDesktopServices::openUrl(address); });
    connect(m_form1.get(), &Form1::Closed, this, &Program::End);
}

Program::~Program() = default;

void Program::Start() { ShowCentred(m_form2.get()); }

void Program::End() {
    if (m_ended)
        return;
    m_ended = true;
    // Every transfer stops at once and leaves no part file; none starts any more.
    Transfers::Instance().AbandonAll();
    if (m_form1->Query())
        m_form1->Query()->Abandon();
    m_form2->Timer1->stop();
    m_form2->Timer2->stop();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_form1.get() && window->isVisible())
            window->close();
    }
    // exit, not quit: it also ends an event loop that a query or a box runs.
    QCoreApplication::exit(0);
    emit Ended();
}

int RunProgram(const Config& config, const Environment& environment) {
    Program program(config, environment);
    // A request to end from the system (logout, kill) ends the program as the
    // close of the main window does: nothing half written stays behind.
    EndOnTerminationSignals(&program, [&program] { program.End(); });
    QObject::connect(&program, &Program::StartFailed, qApp,
                     [] { QCoreApplication::exit(EXIT_FAILURE); });
    program.Start();
    return QApplication::exec();
}

} // namespace qinglan
