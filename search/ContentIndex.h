#pragma once

#include "entries/Facets.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

struct sqlite3;

namespace qinglan {

// The content search index: every entry of the entry index whose file is in the
// data folder, its sections' words and its facets, kept in SQLite in the data
// folder. Words are indexed as the characters and the pairs of neighbouring
// characters of Chinese text (and whole Latin words), so that a word of one or
// two characters is found as surely as a longer one, which is found as its
// pairs in a row. The index is a cache: a file that is missing, damaged or
// written by another version is removed and built anew. It lives in SQLite's
// write-ahead log, synced when the log is copied into the file: a power cut can
// cost the last syncs' work, never the file's soundness.
//
// One object is one connection and is used from one thread.
class ContentIndex final {
public:
    ~ContentIndex();
    ContentIndex(const ContentIndex&) = delete;
    ContentIndex& operator=(const ContentIndex&) = delete;

    // SQLite's soft limit on the memory of all its connections in the process,
    // set by the first Open.
    static constexpr qint64 SoftHeapLimit = 32 * 1024 * 1024;

    // The index file of a data folder.
    static QString FilePath(const QString& dataPath);

    // Opens the index of dataPath, creating it when missing. With check, a file
    // that fails SQLite's quick check or carries another format is removed and
    // made anew (a damaged index is never served). nullptr, with a reason in
    // *error, when no index can be had (for example a read-only folder).
    static std::unique_ptr<ContentIndex> Open(const QString& dataPath, bool check,
                                              QString* error = nullptr);

    // Brings the index up to the entry index text and the files present: adds the
    // entries whose files appeared, forgets those whose files went, and rebuilds
    // all when a file changed. keepGoing is asked between entries; false stops
    // (what was done stays). Returns the number of entries indexed anew, or -1
    // when the database failed.
    int Sync(QStringView indexText, const std::function<bool()>& keepGoing = {});

    // Indexes the entry with this listed name (from an index line) now, when its
    // file is present and not indexed yet. False when the database failed.
    bool Add(const QString& listedName);

    // How many entries the entry index lists (distinct entry files), and how many
    // of them are in the index.
    int ListedCount() const { return int(m_entries.size()); }
    int SearchableCount() const;

    struct Entry {
        qint64 id = 0;   // the entry's number in the index file
        int order = 0;   // place in the entry index
        QString display; // display name
        QString file;    // entry file name
        Facets facets;
        QStringList aliases; // from its 别名 section
        bool present = false;
    };
    const QList<Entry>& Entries() const { return m_entries; }

    // The rows (entry number * SectionSlots + section slot) of sections holding
    // word: a single character, a run of characters (found as its pairs in a
    // row) or a Latin word. Empty for a word with nothing to find.
    QList<qint64> SectionsWith(const QString& word) const;
    // Whether word holds anything SectionsWith can find: a Chinese character, a
    // letter or a digit ("，" and "*" hold none).
    static bool Finds(QStringView word);
    static constexpr int SectionSlots = 16;
    // The slot of a section name; 0 for a section outside the library's set.
    static int SectionSlot(QStringView name);

    QString DataPath() const { return m_dataPath; }

    // The tokens of a text, space separated, in UTF-8: for every character of a
    // run of Chinese text the pair it starts (the last one with an end mark), and
    // every Latin word, in lower case.
    static QByteArray Tokens(QStringView text);

private:
    ContentIndex(sqlite3* db, QString dataPath);
    bool Exec(const char* sql) const;
    bool LoadEntries();
    // An entry read and taken apart, ready to be stored; made without the database.
    struct Prepared {
        qint64 id = 0;
        qint64 size = 0;
        qint64 mtime = 0;
        bool readable = false;
        Facets facets;
        QStringList aliases;
        QList<std::pair<qint64, QByteArray>> rows; // FTS row, tokens
    };
    struct Work {
        qint64 id;
        QString path;
        qint64 size;
        qint64 mtime;
    };
    static Prepared Prepare(qint64 id, const QString& path, qint64 size, qint64 mtime);
    bool Store(const Prepared& prepared);
    bool StoreAll(const QList<Work>& work, const std::function<bool()>& keepGoing);
    bool SetListed(QStringView indexText);

    sqlite3* m_db = nullptr;
    QString m_dataPath;
    QList<Entry> m_entries; // in index order
};

} // namespace qinglan
