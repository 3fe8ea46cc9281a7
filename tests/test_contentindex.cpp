// The content index on disk: it reaches the disk before its log is reused, so
// that a power cut cannot leave a damaged file that reads as sound; and Latin
// and English words are found in any section, as Chinese words are.
#include "cloud/GbkText.h"
#include "search/ContentIndex.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <atomic>

using namespace qinglan;

namespace {

// A VFS over the default one that counts the syncs of main database files.
// Files keep the default VFS's own object and methods, but xSync of a main
// database file goes through Count first.
std::atomic<int> g_mainSyncs{0};
sqlite3_vfs* g_default = nullptr;
sqlite3_io_methods g_counting;
int (*g_realSync)(sqlite3_file*, int) = nullptr;

int Count(sqlite3_file* file, int flags) {
    ++g_mainSyncs;
    return g_realSync(file, flags);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    const int rc = g_default->xOpen(g_default, name, file, flags, outFlags);
    if (rc == SQLITE_OK && file->pMethods && (flags & SQLITE_OPEN_MAIN_DB)) {
        if (!g_realSync) {
            g_counting = *file->pMethods;
            g_realSync = g_counting.xSync;
            g_counting.xSync = Count;
        }
        if (file->pMethods->xSync == g_realSync)
            file->pMethods = &g_counting;
    }
    return rc;
}

sqlite3_vfs g_vfs;

void InstallCountingVfs() {
    if (g_default)
        return;
    g_default = sqlite3_vfs_find(nullptr);
    g_vfs = *g_default;
    g_vfs.zName = "counting";
    g_vfs.xOpen = Open;
    sqlite3_vfs_register(&g_vfs, 1);
}

// A data folder with some of the library's entries (their 拉丁名 and 英文名 included)
// listed in its index and downloaded, in GBK as the program stores them.
QString FixtureData(const QTemporaryDir& dir) {
    const QDir fixtures(QStringLiteral(QINGLAN_LIBRARY_DIR "/data"));
    QString index = QStringLiteral("\r\n");
    int number = 100001;
    for (const QString& file : {QStringLiteral("0001人参.html"), QStringLiteral("0002人参叶.html"),
                                QStringLiteral("0003党参.html"), QStringLiteral("0004西洋参.html"),
                                QStringLiteral("0010甘草.html"), QStringLiteral("0012黄芪.html"),
                                QStringLiteral("0019当归.html"), QStringLiteral("0067三七.html")}) {
        index += QString::number(number++) + QStringLiteral(" - ") + file + QStringLiteral("\r\n");
        if (!WriteFile(dir.filePath(file.mid(4)),
                       ToGbk(QString::fromUtf8(ReadAll(fixtures.filePath(file))))))
            return {};
    }
    return index;
}

} // namespace

class TestContentIndex final : public QObject {
    Q_OBJECT

private slots:
    void aSyncedIndexReachesTheDiskBeforeItsLogIsReused() {
        InstallCountingVfs();
        QTemporaryDir dir;
        const QString index = FixtureData(dir);
        QVERIFY(!index.isEmpty());
        {
            auto content = ContentIndex::Open(dir.path(), true);
            QVERIFY(content);
            // What a sync writes, and its copy from the log into the file.
            g_mainSyncs = 0;
            QCOMPARE(content->Sync(index), 8);
        } // closing copies the log into the file
        QVERIFY(QFileInfo::exists(ContentIndex::FilePath(dir.path())));
        QVERIFY2(g_mainSyncs > 0, "the index file was never synced");
        QVERIFY(!QFileInfo::exists(ContentIndex::FilePath(dir.path()) + QStringLiteral("-wal")));
    }

    void latinAndEnglishWordsAreFoundInAnySection() {
        QTemporaryDir dir;
        const QString index = FixtureData(dir);
        QVERIFY(!index.isEmpty());
        auto content = ContentIndex::Open(dir.path(), true);
        QVERIFY(content);
        QCOMPARE(content->Sync(index), 8);
        QHash<qint64, QString> names;
        for (const ContentIndex::Entry& entry : content->Entries())
            names.insert(entry.id, entry.display);
        const auto found = [&](const QString& word) {
            QStringList where;
            for (const qint64 row : content->SectionsWith(word)) {
                const QString name = names.value(row / ContentIndex::SectionSlots);
                const int slot = int(row % ContentIndex::SectionSlots);
                for (const char16_t* section : {u"拉丁名", u"英文名", u"形态"})
                    if (ContentIndex::SectionSlot(QStringView(section)) == slot)
                        where << name + u' ' + QString::fromUtf16(section);
            }
            where.sort();
            return where;
        };
        // 人参: Ginseng Radix et Rhizoma, English Ginseng, the plant Panax ginseng.
        QVERIFY(found(QStringLiteral("ginseng")).contains(QStringLiteral("人参 拉丁名")));
        QVERIFY(found(QStringLiteral("Ginseng")).contains(QStringLiteral("人参 英文名")));
        QVERIFY(found(QStringLiteral("GINSENG")).contains(QStringLiteral("人参 形态")));
        QCOMPARE(found(QStringLiteral("astragali")), QStringList{QStringLiteral("黄芪 拉丁名")});
        QCOMPARE(found(QStringLiteral("licorice")), QStringList{QStringLiteral("甘草 英文名")});
        QCOMPARE(found(QStringLiteral("quinquefolii radix")),
                 QStringList{QStringLiteral("西洋参 拉丁名")});
        // 当归: the binomial Angelica sinensis, English "Angelica sinensis root".
        QCOMPARE(found(QStringLiteral("angelica sinensis")),
                 (QStringList{QStringLiteral("当归 形态"), QStringLiteral("当归 英文名")}));
    }
};

QTEST_GUILESS_MAIN(TestContentIndex)
#include "test_contentindex.moc"
