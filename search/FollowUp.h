#pragma once

#include <QObject>
#include <QString>

namespace qinglan {

class HtmlView;

// A click on an entry link of a result page writes the entry's name into the
// page's hidden input Tex1; when the view reports the completed in-page
// navigation, the name is read and reported, once per click. The load of a page
// reports nothing, also when it ends after a click.
class LinkFollowUp final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkFollowUp)

public:
    LinkFollowUp(HtmlView* view, QObject* parent);

signals:
    // The user clicked the entry link of this display name.
    void EntryClicked(const QString& name);

private:
    HtmlView* const m_view;
};

} // namespace qinglan
