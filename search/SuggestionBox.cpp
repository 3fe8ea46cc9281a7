#include "search/SuggestionBox.h"

#include "cloud/GbkText.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "entries/EntrySections.h"
#include "search/Log.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>

#include <memory>

namespace qinglan {

namespace {

constexpr int VisibleRows = 10;

} // namespace

SuggestionBox::SuggestionBox(QLineEdit* queryBox, QPushButton* queryButton, QWidget* listParent,
                             QString indexPath, QObject* parent)
    : QObject(parent), m_box(queryBox), m_button(queryButton), m_list(new QListWidget(listParent)),
      m_indexPath(std::move(indexPath)), m_dataPath(QFileInfo(m_indexPath).absolutePath()) {
    QFont font = m_box->font();
    font.setPointSizeF(14);
    m_list->setFont(font);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setStyleSheet(
        QStringLiteral("QListWidget{background:#FBF7EC;border:1px solid #A08C64;}"
                       "QListWidget::item:selected{background:#C9B48A;color:black;}"));
    m_list->hide();

    connect(m_box, &QLineEdit::textEdited, this, &SuggestionBox::Update);
    connect(m_list, &QListWidget::itemClicked, this, &SuggestionBox::Choose);
    m_box->installEventFilter(this);
}

SuggestionBox::~SuggestionBox() {
    // A reading holds nothing of this object's; it ends soon.
    if (m_reader)
        m_reader->wait();
}

const SuggestionIndex* SuggestionBox::Index() {
    if (!m_index && QFileInfo::exists(m_indexPath)) {
        if (auto text = ReadGbkTextFile(m_indexPath)) {
            m_index = SuggestionIndex::Build(*text);
            m_indexText = std::move(*text);
        }
    }
    return m_index ? &*m_index : nullptr;
}

QList<SuggestionBox::LatinNames>
SuggestionBox::ReadLatinNamesOf(const QString& dataPath, const QString& indexText,
                                const QHash<QString, FileStamp>& known) {
    QList<LatinNames> read;
    ForEachIndexLine(indexText, [&](QStringView line) {
        const auto parsed = ParseIndexLine(line);
        const auto file = parsed ? EntryFileName(parsed->remoteName.toString()) : std::nullopt;
        if (!file)
            return true;
        const QFileInfo info(dataPath + u'/' + *file);
        if (!info.isFile())
            return true;
        const FileStamp stamp{info.size(), info.lastModified().toMSecsSinceEpoch()};
        if (known.value(*file) == stamp)
            return true;
        const auto text = ReadGbkTextFile(info.filePath());
        if (!text) {
            qCWarning(lcSearch) << "suggestions: cannot read" << info.filePath();
            return true;
        }
        read.append({*file, parsed->DisplayName().toString(), stamp,
                     SuggestionIndex::LatinNamesOf(ReadEntrySections(*text))});
        return true;
    });
    return read;
}

void SuggestionBox::ReadLatinNames() {
    if (m_reader || !m_index)
        return;
    const qint64 folderTime = QFileInfo(m_dataPath).lastModified().toMSecsSinceEpoch();
    if (folderTime == m_folderTimeRead)
        return;
    m_folderTimeRead = folderTime;
    auto read = std::make_shared<QList<LatinNames>>();
    m_reader = QThread::create(
        [read, dataPath = m_dataPath, indexText = m_indexText, known = m_filesRead] {
            *read = ReadLatinNamesOf(dataPath, indexText, known);
        });
    m_reader->setParent(this);
    connect(m_reader, &QThread::finished, this, [this, read] {
        m_reader->deleteLater();
        m_reader = nullptr;
        for (const LatinNames& entry : std::as_const(*read)) {
            m_filesRead.insert(entry.file, entry.stamp);
            m_index->AddLatinNames(entry.display, entry.names);
        }
        // What the user is typing may now find more; a list closed by a choice,
        // Enter or Esc stays closed.
        if (!read->isEmpty() && m_offering && !m_box->text().trimmed().isEmpty())
            Update(m_box->text());
    });
    m_reader->start();
}

void SuggestionBox::Update(const QString& typed) {
    const SuggestionIndex* index = Index();
    ReadLatinNames();
    const QStringList names = index ? index->Match(typed) : QStringList();
    if (names.isEmpty()) {
        Close();
        m_offering = true; // still typing: names read meanwhile may match
        return;
    }
    m_offering = true;
    m_list->clear();
    m_list->addItems(names);
    Place();
    m_list->show();
    m_list->raise();
}

void SuggestionBox::Place() {
    const int rows = std::min(m_list->count(), VisibleRows);
    const int rowHeight = m_list->sizeHintForRow(0) > 0 ? m_list->sizeHintForRow(0) : 24;
    const int height = rows * rowHeight + 2 * m_list->frameWidth();
    m_list->setGeometry(m_box->x(), m_box->y() - height, m_box->width(), height);
}

void SuggestionBox::Choose(QListWidgetItem* item) {
    if (!item)
        return;
    m_box->setText(item->text());
    Close();
    m_button->click();
}

void SuggestionBox::Close() {
    m_offering = false;
    m_list->hide();
    m_list->clear();
}

bool SuggestionBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_box)
        return false;
    if (event->type() == QEvent::FocusOut && m_list->isVisible() && !m_list->underMouse()) {
        Close();
        return false;
    }
    if (event->type() != QEvent::KeyPress || !m_list->isVisible())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int row = m_list->currentRow();
    switch (key->key()) {
    case Qt::Key_Down:
        m_list->setCurrentRow(std::min(row + 1, m_list->count() - 1));
        return true;
    case Qt::Key_Up:
        m_list->setCurrentRow(std::max(row - 1, 0));
        return true;
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QListWidgetItem* item = m_list->currentItem(); item && item->isSelected()) {
            Choose(item);
            return true;
        }
        Close();
        return false; // the query box presses the button itself
    default:
        return false;
    }
}

} // namespace qinglan
