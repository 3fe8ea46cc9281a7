#pragma once

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, with the attribute that Qt WebEngine needs set before the
// application object exists.
#define QINGLAN_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char* argv[]) {                                                             \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication app(argc, argv);                                                              \
        QApplication::setQuitOnLastWindowClosed(false);                                            \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
