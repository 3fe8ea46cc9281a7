#include "tests/support/MainWindow.h"

#include "search/QueryRunner.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

MainWindow::MainWindow(const qinglan::Config& config)
    : form(std::make_unique<qinglan::Form1>(config, Env(), TestProfile())) {
    form->Timer1->setInterval(3600000);
    form->Timer2->setInterval(3600000);
}

bool MainWindow::Open() {
    if (!form->Open())
        return false;
    // The window shows itself once its home page is there.
    return QTest::qWaitFor([this] { return form->isVisible(); }, 60000);
}

void MainWindow::Query(const QString& text) {
    form->Text1->setText(text);
    form->Command1->click();
    WaitForQuery();
}

bool MainWindow::WaitForQuery() {
    return QTest::qWaitFor([this] { return !form->Query() || !form->Query()->IsRunning(); }, 60000);
}
