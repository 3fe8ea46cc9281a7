// The real program, run as a process by the tests of its ending: the program's
// own start (splash, main window, timers), with its cloud, its data folder and
// one user action given on the command line.
// Usage: qinglan_programprobe APPDIR ITEMS_BASE_URL ACTION
// ACTION: start (nothing more), query:NAME, help, bulk, update.
#include "app/Form1.h"
#include "app/Program.h"
#include "shell/ProgramEnd.h"
#include "tests/support/Sandbox.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 4) {
        std::fprintf(stderr, "usage: qinglan_programprobe APPDIR ITEMS_BASE_URL ACTION\n");
        return 2;
    }
    const QString appDir = QString::fromLocal8Bit(argv[1]);
    const qinglan::Config config = TestConfig(QString::fromLocal8Bit(argv[2]));
    const QString action = QString::fromLocal8Bit(argv[3]);
    const qinglan::Environment env =
        qinglan::Environment::For(appDir, qEnvironmentVariable("TEMP"), true, {}, {});

    qinglan::Program program(config, env);
    QObject::connect(&program, &qinglan::Program::StartFailed, qApp,
                     [] { QCoreApplication::exit(1); });
    qinglan::EndOnTerminationSignals(&program, [&program] { program.End(); });
    qinglan::Form1& main = program.MainWindow();
    QObject::connect(&main, &qinglan::Form1::Opened, &main, [&main, action] {
        static bool done = false;
        if (done)
            return;
        done = true;
        if (action.startsWith(QStringLiteral("query:"))) {
            main.Text1->setText(action.mid(6));
            main.Command1->click();
        } else if (action == u"help") {
            main.帮助->trigger();
        } else if (action == u"bulk") {
            main.下载->trigger();
        } else if (action == u"update") {
            main.更新->trigger();
        }
    });
    program.Start();
    const int status = QApplication::exec();
    std::fflush(nullptr);
    return status;
}
