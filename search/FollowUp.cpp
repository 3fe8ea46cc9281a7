#include "FollowUp.h"

#include "HtmlView.h"
#include "QueryRunner.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>

namespace qinglan {

LinkFollowUp::LinkFollowUp(HtmlView* view, QLineEdit* queryBox, QueryRunner* runner,
                           QObject* parent)
    : QObject(parent), m_view(view), m_queryBox(queryBox), m_runner(runner) {
    connect(m_view, &HtmlView::DocumentComplete, this, [this] {
        QPointer<LinkFollowUp> self(this);
        m_view->ElementValue(QStringLiteral("Tex1"), [self](const QString& value) {
            if (!self || value.isEmpty())
                return;
            self->m_queryBox->setText(value);
            self->m_runner->Run();
        });
    });
}

void RunContents(QAction* contentsAction, QLineEdit* queryBox, QueryRunner& runner) {
    contentsAction->setEnabled(false);
    queryBox->setText(QStringLiteral("."));
    runner.Run();
    if (!runner.IsRunning()) {
        contentsAction->setEnabled(true);
        return;
    }
    // Asked for from inside a running query: enabled once the queue has run.
    QPointer<QAction> action(contentsAction);
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&runner, &QueryRunner::Idle, contentsAction, [action, connection] {
        QObject::disconnect(*connection);
        if (action)
            action->setEnabled(true);
    });
}

} // namespace qinglan
