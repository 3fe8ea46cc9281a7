#pragma once

#include <QObject>

class QAction;
class QLineEdit;

namespace qinglan {

class HtmlView;
class QueryRunner;

// A click on an entry link of a result page writes the entry's name into the
// page's hidden input Tex1; when the view reports the completed in-page
// navigation, that name goes into the query box and is queried. A freshly
// loaded page has an empty Tex1 and runs nothing.
class LinkFollowUp final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkFollowUp)

public:
    LinkFollowUp(HtmlView* view, QLineEdit* queryBox, QueryRunner* runner, QObject* parent);

private:
    HtmlView* const m_view;
    QLineEdit* const m_queryBox;
    QueryRunner* const m_runner;
};

// The contents command: queries "." (every index line holds a dot), keeping its
// menu entry disabled until that query has run.
void RunContents(QAction* contentsAction, QLineEdit* queryBox, QueryRunner& runner);

} // namespace qinglan
