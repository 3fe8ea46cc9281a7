#include "tests/support/MessageBoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

MessageBoxAnswerer::MessageBoxAnswerer(QList<QMessageBox::StandardButton> answers)
    : m_answers(std::move(answers)) {
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::Poll);
    m_timer.start(20);
}

void MessageBoxAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    Seen seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    if (auto* def = box->defaultButton())
        seen.defaultButton = box->standardButton(def);
    m_seen.append(seen);

    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    if (!m_answers.isEmpty())
        answer = m_answers.takeFirst();
    else
        answer = (seen.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    QAbstractButton* button = box->button(answer);
    if (!button)
        button = box->buttons().value(0);
    QTimer::singleShot(0, button, &QAbstractButton::click);
}
