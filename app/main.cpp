#include "app/Program.h"
#include "config/Config.h"
#include "shell/Environment.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qinglan"));
    // Windows come and go (the splash, the download window); only closing the
    // main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // The program speaks Simplified Chinese: Qt's own texts too (是/否 in boxes).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    return qinglan::RunProgram(qinglan::Config::Compiled(), qinglan::Environment::FromProcess());
}
