#include "search/ContentIndex.h"

#include "cloud/GbkText.h"
#include "config/Config.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "search/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThreadPool>

#include <condition_variable>
#include <deque>
#include <mutex>

#include <sqlite3.h>

namespace qinglan {

namespace {

// Raised whenever the tables or the tokens change: an index of another format
// is built anew.
constexpr int FormatVersion = 5;

// The threads that read and take entries apart beside a sync, kept for the whole
// run: a thread made for every sync would leave a heap arena of its own behind.
QThreadPool& PreparingThreads() {
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool; // never destroyed: a sync may run at exit
        threads->setMaxThreadCount(2);
        threads->setExpiryTimeout(-1);
        return threads;
    }();
    return *pool;
}

bool IsHan(char32_t c) { return c >= 0x2E80 && QChar::script(c) == QChar::Script_Han; }

void AppendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Walks text as runs: a run of Han characters, or a Latin word (letters and
// digits, in lower case); everything else separates runs. visit(characters,
// han) gets each run's code points.
template <typename Visit>
void ForEachRun(QStringView text, Visit&& visit) {
    QList<char32_t> run;
    bool han = false;
    const auto flush = [&] {
        if (!run.isEmpty())
            visit(run, han);
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (IsHan(c)) {
            if (!han)
                flush();
            han = true;
            run << c;
        } else if (c < 0x80 ? ((c | 0x20) - 'a' < 26 || c - '0' < 10)
                            : QChar::isLetterOrNumber(c)) {
            if (han)
                flush();
            han = false;
            run << QChar::toLower(c);
        } else {
            flush();
        }
    }
    flush();
}

// Ends the token of the last character of a Han run; an ASCII letter or digit,
// so that the tokenizer keeps it in the token.
constexpr char RunEnd = '0';

struct Statement {
    sqlite3_stmt* statement = nullptr;
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return statement != nullptr; }
    void Bind(int index, qint64 value) { sqlite3_bind_int64(statement, index, value); }
    void BindBytes(int index, const QByteArray& utf8) {
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(statement); }
    void Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    qint64 Int(int column) const { return sqlite3_column_int64(statement, column); }
    QString Text(int column) const {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
    }
};

QString JoinTastes(const NatureTaste& nt) { return nt.tastes.join(u','); }

} // namespace

QByteArray ContentIndex::Tokens(QStringView text) {
    QByteArray out;
    out.reserve(text.size() * 7);
    ForEachRun(text, [&](const QList<char32_t>& run, bool han) {
        if (!han) {
            for (const char32_t c : run)
                AppendUtf8(out, c);
            out += ' ';
            return;
        }
        for (qsizetype k = 0; k < run.size(); ++k) {
            AppendUtf8(out, run[k]);
            if (k + 1 < run.size())
                AppendUtf8(out, run[k + 1]);
            else
                out += RunEnd;
            out += ' ';
        }
    });
    return out;
}

int ContentIndex::SectionSlot(QStringView name) {
    const qsizetype at = KnownSectionNames().indexOf(name.toString());
    return at < 0 ? 0 : int(at) + 1;
}

QString ContentIndex::FilePath(const QString& dataPath) {
    // A folder of its own: no listed entry name can make a file of that path.
    return dataPath + QStringLiteral("/.qinglan-index/content.sqlite");
}

ContentIndex::ContentIndex(sqlite3* db, QString dataPath)
    : m_db(db), m_dataPath(std::move(dataPath)) {}

ContentIndex::~ContentIndex() { sqlite3_close(m_db); }

bool ContentIndex::Exec(const char* sql) const {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    qCWarning(lcSearch) << "content index:" << sql << "failed:" << message;
    sqlite3_free(message);
    return false;
}

std::unique_ptr<ContentIndex> ContentIndex::Open(const QString& dataPath, bool check,
                                                 QString* error) {
    // All of SQLite's memory in the process: past this, it gives back cached
    // pages before it takes more.
    static const bool limited = [] {
        sqlite3_soft_heap_limit64(SoftHeapLimit);
        return true;
    }();
    Q_UNUSED(limited);
    const QString path = FilePath(dataPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString expected =
        QStringLiteral("%1/%2").arg(FormatVersion).arg(QString::fromUtf16(ProgramVersion));
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        const QByteArray name = QFile::encodeName(path);
        if (sqlite3_open_v2(name.constData(), &db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                            nullptr) != SQLITE_OK) {
            if (error)
                *error = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_close(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, 5000);
        std::unique_ptr<ContentIndex> index(new ContentIndex(db, dataPath));
        // In the write-ahead log, NORMAL waits for the disk only when the log is
        // copied into the file: a power cut may lose the last syncs' work (the
        // next sync redoes it) but never leaves a damaged file that reads as
        // sound, which OFF can, since it lets the log be reused before the file
        // holds its pages. A small page cache per connection: the index is read
        // in short searches, and the reader stays open for the whole run.
        bool sound =
            index->Exec("PRAGMA page_size=8192") && index->Exec("PRAGMA journal_mode=WAL") &&
            index->Exec("PRAGMA synchronous=NORMAL") && index->Exec("PRAGMA cache_size=-1024");
        if (sound && check) {
            Statement quick(db, "PRAGMA quick_check");
            sound = quick && quick.Step() == SQLITE_ROW && quick.Text(0) == u"ok";
        }
        if (sound) {
            sound = index->Exec(
                "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT);"
                "CREATE TABLE IF NOT EXISTS entries(id INTEGER PRIMARY KEY, ord INTEGER, "
                " display TEXT, file TEXT UNIQUE, size INTEGER, mtime INTEGER, present INTEGER, "
                " nature TEXT, tastes TEXT, toxicity INTEGER, meridians TEXT, "
                " nt_parsed INTEGER, mer_parsed INTEGER, aliases TEXT);"
                // The tokens are made here, separated by spaces: the plain ASCII
                // tokenizer, much faster than unicode61, splits them as written.
                "CREATE VIRTUAL TABLE IF NOT EXISTS grams USING fts5(tokens, content='', "
                " columnsize=0, tokenize='ascii');"
                // Larger batches of new tokens in memory: fewer segments to merge.
                "INSERT INTO grams(grams, rank) VALUES('hashsize', 33554432);");
        }
        if (sound) {
            Statement version(db, "SELECT value FROM meta WHERE key='format'");
            if (version && version.Step() == SQLITE_ROW) {
                sound = version.Text(0) == expected;
            } else {
                Statement set(db, "INSERT OR REPLACE INTO meta VALUES('format', ?)");
                set.Bind(1, expected);
                sound = set && set.Step() == SQLITE_DONE;
            }
        }
        if (sound && index->LoadEntries())
            return index;
        // Damaged, foreign or of another version: never served, built anew.
        qCWarning(lcSearch) << "content index" << path
                            << "is damaged or of another version; rebuilt";
        index.reset();
        for (const QString& file :
             {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")})
            QFile::remove(file);
    }
    if (error)
        *error = QStringLiteral("cannot create %1").arg(path);
    return nullptr;
}

bool ContentIndex::LoadEntries() {
    Statement select(m_db,
                     "SELECT ord, display, file, present, nature, tastes, toxicity, "
                     "meridians, nt_parsed, mer_parsed, id, aliases FROM entries WHERE ord >= 0 "
                     "ORDER BY ord");
    if (!select)
        return false;
    m_entries.clear();
    // Natures, tastes and meridians come from a few dozen values and their
    // combinations: entries with the same text share one copy, which keeps the
    // whole library's entries small for the rest of the run.
    QSet<QString> natures;
    QHash<QString, QStringList> lists;
    const auto sharedList = [&lists](const QString& text) {
        auto it = lists.find(text);
        if (it == lists.end())
            it = lists.insert(text, text.split(u',', Qt::SkipEmptyParts));
        return *it;
    };
    while (select.Step() == SQLITE_ROW) {
        Entry entry;
        entry.order = int(select.Int(0));
        entry.display = select.Text(1);
        entry.file = select.Text(2);
        entry.present = select.Int(3) != 0;
        entry.id = select.Int(10);
        entry.aliases = select.Text(11).split(u',', Qt::SkipEmptyParts);
        if (select.Int(8) != 0) {
            NatureTaste nt;
            nt.nature = *natures.insert(select.Text(4)); // the copy already held, if any
            nt.tastes = sharedList(select.Text(5));
            nt.toxicity = Toxicity(select.Int(6));
            entry.facets.natureTaste = nt;
        }
        if (select.Int(9) != 0)
            entry.facets.meridians = sharedList(select.Text(7));
        m_entries.append(entry);
    }
    // Kept for the whole run, one per listed entry: without the room grown for more.
    m_entries.squeeze();
    return true;
}

int ContentIndex::SearchableCount() const {
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(),
                             [](const Entry& e) { return e.present; }));
}

ContentIndex::Prepared ContentIndex::Prepare(qint64 id, const QString& path, qint64 size,
                                             qint64 mtime) {
    Prepared prepared{id, size, mtime, false, {}, {}, {}};
    const std::optional<QString> text = ReadGbkTextFile(path);
    if (!text)
        return prepared; // unreadable now: left out, tried again at the next sync
    prepared.readable = true;
    const EntryText entry = ReadEntrySections(*text);
    prepared.facets = FacetsOf(entry);
    if (const EntrySection* aliases = entry.Find(u"别名"))
        prepared.aliases = ParseAliases(aliases->text);
    QSet<int> usedSlots;
    for (const EntrySection& section : entry.sections) {
        int slot = SectionSlot(section.name);
        // A section name seen twice, or one outside the set, shares slot 0.
        if (usedSlots.contains(slot))
            slot = 0;
        usedSlots.insert(slot);
        prepared.rows.append({id * SectionSlots + slot, Tokens(section.text)});
    }
    return prepared;
}

bool ContentIndex::Store(const Prepared& prepared) {
    if (!prepared.readable)
        return true;
    Statement insert(m_db, "INSERT INTO grams(rowid, tokens) VALUES(?, ?)");
    if (!insert)
        return false;
    for (const auto& [row, tokens] : prepared.rows) {
        insert.Bind(1, row);
        insert.BindBytes(2, tokens);
        if (insert.Step() != SQLITE_DONE)
            return false;
        insert.Reset();
    }
    const Facets& facets = prepared.facets;
    Statement update(m_db,
                     "UPDATE entries SET size=?, mtime=?, present=1, nature=?, tastes=?, "
                     "toxicity=?, meridians=?, nt_parsed=?, mer_parsed=?, aliases=? WHERE id=?");
    if (!update)
        return false;
    update.Bind(1, prepared.size);
    update.Bind(2, prepared.mtime);
    update.Bind(3, facets.natureTaste ? facets.natureTaste->nature : QString());
    update.Bind(4, facets.natureTaste ? JoinTastes(*facets.natureTaste) : QString());
    update.Bind(5, facets.natureTaste ? qint64(facets.natureTaste->toxicity) : 0);
    update.Bind(6, facets.meridians ? facets.meridians->join(u',') : QString());
    update.Bind(7, facets.natureTaste ? 1 : 0);
    update.Bind(8, facets.meridians ? 1 : 0);
    update.Bind(9, prepared.aliases.join(u','));
    update.Bind(10, prepared.id);
    return update.Step() == SQLITE_DONE;
}

bool ContentIndex::StoreAll(const QList<Work>& work, const std::function<bool()>& keepGoing) {
    // Reading and taking entries apart runs beside the database's work: one
    // thread prepares, this one stores, a few entries apart.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Prepared> ready;
    bool stop = false;
    bool produced = false;
    PreparingThreads().start([&] {
        for (const Work& item : work) {
            Prepared prepared = Prepare(item.id, item.path, item.size, item.mtime);
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return ready.size() < 64 || stop; });
            if (stop)
                break;
            ready.push_back(std::move(prepared));
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        produced = true;
        changed.notify_all();
    });
    bool ok = true;
    for (qsizetype done = 0; done < work.size(); ++done) {
        if (keepGoing && !keepGoing())
            break;
        Prepared prepared;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !ready.empty(); });
            prepared = std::move(ready.front());
            ready.pop_front();
            changed.notify_all();
        }
        if (!Store(prepared)) {
            ok = false;
            break;
        }
    }
    {
        std::unique_lock lock(mutex);
        stop = true;
        changed.notify_all();
        // The producer uses this frame's queue until it has said that it is done.
        changed.wait(lock, [&] { return produced; });
    }
    return ok;
}

int ContentIndex::Sync(QStringView indexText, const std::function<bool()>& keepGoing) {
    // The listed entries, one per entry file, in index order.
    struct Listed {
        QString display;
        QString file;
    };
    QList<Listed> listed;
    QSet<QString> files;
    ForEachIndexLine(indexText, [&](QStringView line) {
        const auto parsed = ParseIndexLine(line);
        if (!parsed)
            return true;
        const auto file = EntryFileName(parsed->remoteName.toString());
        if (file && !files.contains(*file)) {
            files.insert(*file);
            listed.append({parsed->DisplayName().toString(), *file});
        }
        return true;
    });

    struct Known {
        qint64 id;
        qint64 size;
        qint64 mtime;
        bool present;
    };
    QHash<QString, Known> known;
    {
        Statement select(m_db, "SELECT id, file, size, mtime, present FROM entries");
        if (!select)
            return -1;
        while (select.Step() == SQLITE_ROW)
            known.insert(select.Text(1),
                         {select.Int(0), select.Int(2), select.Int(3), select.Int(4) != 0});
    }

    if (!Exec("BEGIN IMMEDIATE"))
        return -1;
    int indexed = 0;
    bool rebuild = false;
    QList<Work> work;
    bool ok = Exec("UPDATE entries SET ord=-1");
    Statement upsert(m_db,
                     "INSERT INTO entries(ord, display, file, present) VALUES(?, ?, ?, 0) "
                     "ON CONFLICT(file) DO UPDATE SET ord=excluded.ord, display=excluded.display");
    Statement idOf(m_db, "SELECT id FROM entries WHERE file=?");
    Statement absent(m_db, "UPDATE entries SET present=0 WHERE id=?");
    Statement back(m_db, "UPDATE entries SET present=1 WHERE id=?");
    ok = ok && upsert && idOf && absent && back;
    for (qsizetype order = 0; ok && order < listed.size(); ++order) {
        const Listed& entry = listed[order];
        upsert.Bind(1, order);
        upsert.Bind(2, entry.display);
        upsert.Bind(3, entry.file);
        ok = upsert.Step() == SQLITE_DONE;
        upsert.Reset();
        idOf.Bind(1, entry.file);
        ok = ok && idOf.Step() == SQLITE_ROW;
        const qint64 id = idOf.Int(0);
        idOf.Reset();
        if (!ok)
            break;

        const QFileInfo info(m_dataPath + u'/' + entry.file);
        const bool exists = info.isFile();
        const qint64 size = exists ? info.size() : 0;
        const qint64 mtime = exists ? info.lastModified().toMSecsSinceEpoch() : 0;
        const auto it = known.constFind(entry.file);
        const bool hasRows = it != known.cend() && (it->size != 0 || it->mtime != 0);
        if (!exists) {
            if (it != known.cend() && it->present) {
                absent.Bind(1, id);
                ok = absent.Step() == SQLITE_DONE;
                absent.Reset();
            }
        } else if (hasRows && (it->size != size || it->mtime != mtime)) {
            // Its words are indexed without their text, so they cannot be taken
            // out one by one: the whole index is built anew.
            rebuild = true;
            break;
        } else if (hasRows) {
            if (!it->present) {
                back.Bind(1, id);
                ok = back.Step() == SQLITE_DONE;
                back.Reset();
            }
        } else {
            work.append({id, info.filePath(), size, mtime});
        }
    }
    if (ok && !rebuild) {
        ok = StoreAll(work, keepGoing);
        indexed = int(work.size());
    }
    if (rebuild) {
        Exec("ROLLBACK");
        // A table without its text takes no DELETE: 'delete-all' empties it.
        if (!Exec("BEGIN; DELETE FROM entries; INSERT INTO grams(grams) VALUES('delete-all');"
                  "COMMIT;")) {
            Exec("ROLLBACK");
            return -1;
        }
        const int again = Sync(indexText, keepGoing);
        return again;
    }
    if (!ok || !Exec("COMMIT")) {
        Exec("ROLLBACK");
        return -1;
    }
    return LoadEntries() ? indexed : -1;
}

bool ContentIndex::Add(const QString& listedName) {
    const auto file = EntryFileName(listedName);
    if (!file)
        return true;
    const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const Entry& e) { return e.file == *file; });
    if (entry == m_entries.end() || entry->present)
        return true; // not listed (the next sync sees it), or indexed already
    const QFileInfo info(m_dataPath + u'/' + *file);
    if (!info.isFile())
        return true;
    Statement idOf(m_db, "SELECT id, size, mtime FROM entries WHERE file=?");
    if (!idOf)
        return false;
    idOf.Bind(1, *file);
    if (idOf.Step() != SQLITE_ROW)
        return true;
    const qint64 id = idOf.Int(0);
    const bool hasRows = idOf.Int(1) != 0 || idOf.Int(2) != 0;
    if (hasRows)
        return true; // indexed rows of an older file: the next sync decides
    const Prepared prepared =
        Prepare(id, info.filePath(), info.size(), info.lastModified().toMSecsSinceEpoch());
    if (!prepared.readable)
        return true;
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    if (!Store(prepared) || !Exec("COMMIT")) {
        Exec("ROLLBACK");
        return false;
    }
    entry->present = true;
    entry->facets = prepared.facets;
    entry->aliases = prepared.aliases;
    return true;
}

bool ContentIndex::Finds(QStringView word) {
    bool any = false;
    ForEachRun(word, [&any](const QList<char32_t>&, bool) { any = true; });
    return any;
}

QList<qint64> ContentIndex::SectionsWith(const QString& word) const {
    // One expression per run of the word, all of which must be in the section: a
    // character is the start of a token; a run of characters is its pairs in a
    // row; a Latin word is itself.
    QStringList terms;
    ForEachRun(word, [&](const QList<char32_t>& run, bool han) {
        if (han && run.size() == 1) {
            terms << QStringLiteral("\"%1\" *").arg(QString::fromUcs4(run.constData(), 1));
            return;
        }
        if (!han) {
            terms << QStringLiteral("\"%1\"").arg(QString::fromUcs4(run.constData(), run.size()));
            return;
        }
        QStringList pairs;
        for (qsizetype k = 0; k + 1 < run.size(); ++k)
            pairs << QString::fromUcs4(run.constData() + k, 2);
        terms << QStringLiteral("\"%1\"").arg(pairs.join(u' '));
    });
    QList<qint64> rows;
    if (terms.isEmpty())
        return rows;
    Statement select(m_db, "SELECT rowid FROM grams WHERE grams MATCH ?");
    if (!select)
        return rows;
    select.Bind(1, terms.join(QStringLiteral(" AND ")));
    while (select.Step() == SQLITE_ROW)
        rows << select.Int(0);
    return rows;
}

} // namespace qinglan
