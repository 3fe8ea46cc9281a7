#pragma once

#include "search/Suggestions.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace qinglan {

// The list of suggestions for the query box, shown while the user types: the
// index's names that match by characters, pinyin, initials or traditional
// characters. Up and Down move through it, Enter or a click puts the chosen name
// into the box and presses the query button, Esc closes it. Enter with nothing
// chosen queries the text as it stands. The matching data is built from the
// index the first time it is needed and kept for the rest of the run.
class SuggestionBox final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SuggestionBox)

public:
    SuggestionBox(QLineEdit* queryBox, QPushButton* queryButton, QWidget* listParent,
                  QString indexPath, QObject* parent);

    QListWidget* list() const { return m_list; }
    // Places the list right above the query box (the box is at the window's bottom).
    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update(const QString& typed);
    void Choose(QListWidgetItem* item);
    void Close();
    const SuggestionIndex* Index();

    QLineEdit* const m_box;
    QPushButton* const m_button;
    QListWidget* const m_list;
    const QString m_indexPath;
    std::optional<SuggestionIndex> m_index;
};

} // namespace qinglan
