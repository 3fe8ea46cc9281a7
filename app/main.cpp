#include "Config.h"
#include "Environment.h"
#include "Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qinglan"));
    // Windows come and go (the splash, the download window); only closing the
    // main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    qinglan::Form1 form1(qinglan::Config::Compiled(), qinglan::Environment::FromProcess());
    if (!form1.Open())
        return EXIT_FAILURE;
    return QApplication::exec();
}
