#include "search/FollowUp.h"

#include "shell/HtmlView.h"

#include <QPointer>

namespace qinglan {

LinkFollowUp::LinkFollowUp(HtmlView* view, QObject* parent) : QObject(parent), m_view(view) {
    // Only the in-page navigation of a click counts: a page's own load can end
    // after the user clicked in it, and must not run that click a second time.
    connect(m_view, &HtmlView::InPageNavigation, this, [this] {
        QPointer<LinkFollowUp> self(this);
        m_view->ElementValue(QStringLiteral("Tex1"), [self](const QString& value) {
            if (self && !value.isEmpty())
                emit self->EntryClicked(value);
        });
    });
}

} // namespace qinglan
