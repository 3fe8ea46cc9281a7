#include "search/FindBar.h"

#include "shell/HtmlView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

#include <utility>

namespace qinglan {

FindBar::FindBar(HtmlView* view, QWidget* parent) : QWidget(parent), m_view(view) {
    setAutoFillBackground(true);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("qinglan--FindBar{background:#F3EBD8;border:1px solid #A08C64;}"));

    m_input = new QLineEdit(this);
    m_input->setPlaceholderText(QStringLiteral("在本页查找"));
    m_input->setClearButtonEnabled(true);
    m_status = new QLabel(this);
    m_status->setMinimumWidth(60);

    auto* previous = new QToolButton(this);
    previous->setText(QStringLiteral("上一个"));
    previous->setToolTip(QStringLiteral("上一个 (Shift+Enter)"));
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral("下一个"));
    next->setToolTip(QStringLiteral("下一个 (Enter)"));
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("关闭 (Esc)"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_input);
    layout->addWidget(m_status);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);

    connect(previous, &QToolButton::clicked, this, &FindBar::FindPrevious);
    connect(next, &QToolButton::clicked, this, &FindBar::FindNext);
    connect(close, &QToolButton::clicked, this, &FindBar::Close);
    connect(m_input, &QLineEdit::textChanged, this, [this] { Find(false); });
    connect(m_view->page(), &QWebEnginePage::findTextFinished, this, &FindBar::ShowResult);
    // The engine finds nothing in a document that is still loading, even when its
    // text is already there, and it does not search again by itself: a search asked
    // for meanwhile runs when the load has finished.
    connect(m_view->page(), &QWebEnginePage::loadStarted, this, [this] { m_loading = true; });
    connect(m_view->page(), &QWebEnginePage::loadFinished, this, [this] {
        m_loading = false;
        if (std::exchange(m_findAfterLoad, false) && isVisible())
            Find(false);
    });
    hide();
}

void FindBar::Place() {
    const QSize size = sizeHint().expandedTo(QSize(360, 0));
    const QRect area = m_view->geometry();
    setGeometry(area.right() - size.width() - 8, area.top() + 8, size.width(), size.height());
}

void FindBar::Open() {
    Place();
    show();
    raise();
    m_input->setFocus();
    m_input->selectAll();
}

void FindBar::Close() {
    m_findAfterLoad = false;
    m_view->page()->findText(QString()); // clears the highlights
    m_status->clear();
    hide();
    m_view->setFocus();
}

void FindBar::FindNext() { Find(false); }

void FindBar::FindPrevious() { Find(true); }

QString FindBar::status() const { return m_status->text(); }

void FindBar::Find(bool backward) {
    const QString text = m_input->text();
    if (text.isEmpty()) {
        m_view->page()->findText(QString());
        m_status->clear();
        return;
    }
    if (m_loading) {
        m_findAfterLoad = true;
        return;
    }
    m_view->page()->findText(text,
                             backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void FindBar::ShowResult(const QWebEngineFindTextResult& result) {
    if (m_input->text().isEmpty())
        m_status->clear();
    else if (result.numberOfMatches() == 0)
        m_status->setText(QStringLiteral("无匹配"));
    else
        m_status->setText(
            QStringLiteral("%1/%2").arg(result.activeMatch()).arg(result.numberOfMatches()));
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Find(event->modifiers() & Qt::ShiftModifier);
        return;
    case Qt::Key_Escape:
        Close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace qinglan
