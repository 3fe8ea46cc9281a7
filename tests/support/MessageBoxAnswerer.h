#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Answers the modal message boxes that the code under test shows, and records
// what each box looked like.
class MessageBoxAnswerer final : public QObject {
    Q_OBJECT

public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    // Boxes are answered with the queued buttons in order, then with OK/Yes.
    explicit MessageBoxAnswerer(QList<QMessageBox::StandardButton> answers = {});

    const QList<Seen>& seen() const { return m_seen; }

private:
    void Poll();

    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    QList<Seen> m_seen;
};
