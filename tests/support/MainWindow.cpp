#include "tests/support/MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

MainWindow::MainWindow(const qinglan::Config& config)
    : form(std::make_unique<qinglan::Form1>(config, Env(), TestProfile())) {
    form->Timer1->setInterval(3600000);
    form->Timer2->setInterval(3600000);
}

bool MainWindow::Open() { return form->Open(); }

void MainWindow::Query(const QString& text) {
    form->Text1->setText(text);
    form->Command1->click();
}
