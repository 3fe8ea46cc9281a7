#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;

namespace qinglan {

class HtmlView;

// Find in page: a small bar over the top right of the view with a text box,
// next, previous and close. Enter finds the next match, Shift+Enter the
// previous one, Esc closes the bar; every match on the page is highlighted.
class FindBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindBar)

public:
    FindBar(HtmlView* view, QWidget* parent);

    void Open();
    void Close();
    void FindNext();
    void FindPrevious();
    // Places the bar at the top right of the view.
    void Place();

    QLineEdit* input() const { return m_input; }
    QString status() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Find(bool backward);
    void ShowResult(const QWebEngineFindTextResult& result);

    HtmlView* const m_view;
    QLineEdit* m_input = nullptr;
    QLabel* m_status = nullptr;
    bool m_loading = false;
    bool m_findAfterLoad = false;
};

} // namespace qinglan
