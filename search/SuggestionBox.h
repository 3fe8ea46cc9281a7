#pragma once

#include "search/Suggestions.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QThread;

namespace qinglan {

// The list of suggestions for the query box, shown while the user types: the
// index's names that match by characters, pinyin, initials or traditional
// characters. Up and Down move through it, Enter or a click puts the chosen name
// into the box and presses the query button, Esc closes it. Enter with nothing
// chosen queries the text as it stands. The matching data is built from the
// index the first time it is needed and kept for the rest of the run.
//
// The names in Latin letters (拉丁名, 英文名, the binomials of 形态) come from
// the entry files in the data folder, read in a worker thread so that typing
// never waits for the disk: the first keystroke starts the reading, and a
// keystroke after the folder changed (an entry downloaded) reads the files that
// are new or changed. Names are matched once they have arrived; an entry not
// yet downloaded is found by its Chinese name and pinyin only.
class SuggestionBox final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SuggestionBox)

public:
    SuggestionBox(QLineEdit* queryBox, QPushButton* queryButton, QWidget* listParent,
                  QString indexPath, QObject* parent);
    ~SuggestionBox() override;

    QListWidget* list() const { return m_list; }
    // Whether a reading of the entry files' Latin names is under way.
    bool ReadingLatinNames() const { return m_reader != nullptr; }
    // Places the list right above the query box (the box is at the window's bottom).
    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update(const QString& typed);
    void Choose(QListWidgetItem* item);
    void Close();
    const SuggestionIndex* Index();
    // Starts reading the entry files' Latin names when the data folder changed
    // since the last reading began and none is under way.
    void ReadLatinNames();

    // What a reading knows of a file it has read: its size and time.
    struct FileStamp {
        qint64 size = 0;
        qint64 mtime = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct LatinNames {
        QString file;
        QString display;
        FileStamp stamp;
        QStringList names;
    };
    static QList<LatinNames> ReadLatinNamesOf(const QString& dataPath, const QString& indexText,
                                              const QHash<QString, FileStamp>& known);

    QLineEdit* const m_box;
    QPushButton* const m_button;
    QListWidget* const m_list;
    const QString m_indexPath;
    const QString m_dataPath;
    std::optional<SuggestionIndex> m_index;
    QString m_indexText;
    QThread* m_reader = nullptr;
    qint64 m_folderTimeRead = -1; // the data folder's time when the last reading began
    QHash<QString, FileStamp> m_filesRead;
    // The user is typing and has not chosen, pressed Enter or Esc since.
    bool m_offering = false;
};

} // namespace qinglan
