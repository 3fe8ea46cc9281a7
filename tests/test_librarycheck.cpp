// qinglan-cloud check: a broken copy of the sample library gives one clear
// message for each thing broken (the `library` test checks the library itself).
#include "tests/support/CloudServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tools/cloud/Check.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Copies the sample library into dir.
bool CopyLibrary(const QString& dir) {
    QDir source(QStringLiteral(QINGLAN_LIBRARY_DIR));
    if (!QFile::copy(source.filePath(QStringLiteral("cloud.manifest")),
                     dir + QStringLiteral("/cloud.manifest")))
        return false;
    for (const QString& folder : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir().mkpath(dir + u'/' + folder);
        for (const QString& file : QDir(source.filePath(folder)).entryList(QDir::Files))
            if (!QFile::copy(source.filePath(folder + u'/' + file),
                             dir + u'/' + folder + u'/' + file))
                return false;
    }
    return true;
}

// Gives every entry of a library copy that lacks them a 拉丁名 and an 英文名,
// right after its 别名 (or its heading), so that a check of the copy sees only
// what a test breaks.
bool NameEveryEntry(const QString& dataDir) {
    static const QRegularExpression aliases(QStringLiteral("<p><b>【别名】</b>[^\\n]*</p>\\s*"));
    static const QRegularExpression heading(QStringLiteral("</h2>\\s*"));
    for (const QString& file : QDir(dataDir).entryList({QStringLiteral("*.html")}, QDir::Files)) {
        const QString path = dataDir + u'/' + file;
        QString text = QString::fromUtf8(ReadAll(path));
        if (text.contains(QStringLiteral("【拉丁名】")))
            continue;
        auto match = aliases.match(text);
        if (!match.hasMatch())
            match = heading.match(text);
        if (!match.hasMatch())
            return false;
        text.insert(match.capturedEnd(), QStringLiteral("<p><b>【拉丁名】</b>Herba Exempli</p>\n"
                                                        "<p><b>【英文名】</b>Sample herb</p>\n"));
        if (!WriteFile(path, text.toUtf8()))
            return false;
    }
    return true;
}

// Takes a section out of a library file; false when it is not there.
bool RemoveSection(const QString& path, const QString& name) {
    QString text = QString::fromUtf8(ReadAll(path));
    const QRegularExpression section(QStringLiteral("<p><b>【%1】</b>[^\\n]*</p>\\s*").arg(name));
    if (!text.contains(section))
        return false;
    return WriteFile(path, text.remove(section).toUtf8());
}

// Replaces before by after in a library file; false when before is not there.
bool Edit(const QString& path, const QString& before, const QString& after) {
    QString text = QString::fromUtf8(ReadAll(path));
    if (!text.contains(before))
        return false;
    return WriteFile(path, text.replace(before, after).toUtf8());
}

QStringList RunCheck(const QString& source, int* status) {
    QProcess tool;
    tool.start(CloudToolPath(), {QStringLiteral("check"), source});
    tool.waitForFinished(60000);
    *status = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestLibraryCheck final : public QObject {
    Q_OBJECT

private slots:
    void aBrokenCopyGivesOneMessageEach() {
        QTemporaryDir dir;
        QVERIFY(CopyLibrary(dir.path()));
        const QString data = dir.filePath(QStringLiteral("data/"));
        QVERIFY(NameEveryEntry(data));
        QVERIFY(RemoveSection(data + QStringLiteral("0003党参.html"), QStringLiteral("拉丁名")));
        QVERIFY(RemoveSection(data + QStringLiteral("0003党参.html"), QStringLiteral("英文名")));
        QVERIFY(RemoveSection(data + QStringLiteral("0004西洋参.html"), QStringLiteral("英文名")));
        QVERIFY(WriteFile(data + QStringLiteral("0999黄连.html"),
                          ReadAll(data + QStringLiteral("0014黄连.html"))));
        QVERIFY(Edit(data + QStringLiteral("0001人参.html"), QStringLiteral("<h2>人参</h2>"),
                     QStringLiteral("<h2>人參</h2>")));
        QVERIFY(Edit(data + QStringLiteral("0014黄连.html"),
                     QStringLiteral("归心、脾、胃、肝、胆、大肠经。"),
                     QStringLiteral("主入心经，兼入脾胃。")));
        QVERIFY(Edit(data + QStringLiteral("0006丹参.html"), QStringLiteral("不宜与藜芦同用"),
                     QStringLiteral("不宜久服")));
        QVERIFY(Edit(data + QStringLiteral("0010甘草.html"), QStringLiteral("【宜忌】"),
                     QStringLiteral("【禁忌】")));
        QVERIFY(Edit(data + QStringLiteral("0012黄芪.html"), QStringLiteral("</h2>"),
                     QStringLiteral("</h2><p><b>")));
        QVERIFY(Edit(data + QStringLiteral("0013黄芩.html"), QStringLiteral("苦，寒。"),
                     QStringLiteral("苦，寒。☃")));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("notice/公告.txt")),
                          QByteArray("\xff\xfe broken")));

        int status = -1;
        const QStringList output = RunCheck(dir.path(), &status);
        QCOMPARE(status, 1);
        const QStringList expected = {
            QStringLiteral("data/0001人参.html: <h2> says \"人參\", the file name \"人参\""),
            QStringLiteral("data/0003党参.html: no 拉丁名/英文名"),
            QStringLiteral("data/0004西洋参.html: no 英文名"),
            QStringLiteral("data/0006丹参.html: 宜忌 does not name 藜芦 (十八反/十九畏)"),
            QStringLiteral("data/0010甘草.html: section 【禁忌】 is not one of the library's"),
            QStringLiteral("data/0012黄芪.html: tags do not balance: <b> is never closed"),
            QStringLiteral("data/0013黄芩.html: holds characters that GBK cannot represent (☃)"),
            QStringLiteral(
                "data/0014黄连.html: 归经 \"主入心经，兼入脾胃。\" does not read as meridians"),
            QStringLiteral("data/0999黄连.html: the same name as data/0014黄连.html"),
            QStringLiteral("notice/公告.txt: not valid UTF-8"),
        };
        for (const QString& line : expected)
            QVERIFY2(output.contains(line),
                     qPrintable(line + QStringLiteral("\n---\n") + output.join(u'\n')));
        // 甘草's 宜忌 is gone with its name, so its partners go unnamed too.
        QVERIFY(
            output.contains(QStringLiteral("data/0010甘草.html: 宜忌 does not name "
                                           "甘遂、京大戟、红大戟、海藻、芫花 (十八反/十九畏)")));
        QCOMPARE(output.size(), expected.size() + 1);
    }

    void namesAreFoundWhole() {
        using qinglan::cloudtool::NamesWhole;
        QVERIFY(NamesWhole(QStringLiteral("不宜与川乌、制川乌同用"), QStringLiteral("川乌")));
        QVERIFY(!NamesWhole(QStringLiteral("不宜与制川乌同用"), QStringLiteral("川乌")));
        QVERIFY(NamesWhole(QStringLiteral("不宜与藜芦同用。"), QStringLiteral("藜芦")));
        QVERIFY(!NamesWhole(QStringLiteral("不宜与白附子同用"), QStringLiteral("附子")));
        QVERIFY(NamesWhole(QStringLiteral("（附子）"), QStringLiteral("附子")));
    }
};

QINGLAN_TEST_MAIN(TestLibraryCheck)
#include "test_librarycheck.moc"
