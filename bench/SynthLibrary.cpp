// Writes a synthetic library source of N entries (default 6022) for scale tests
// and benchmarks: unique names from common herb characters, entry texts of 2 to
// 8 KB with the usual sections, and the same folders as the sample library.
// Usage: qinglan-synth-library OUT [N]
#include "SynthNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <cstdio>

namespace {

const QString TextChars = QStringLiteral(
    "性味甘苦辛咸酸寒热温凉平归心肝脾肺肾经功能主治补气养血清热解毒祛风除湿活血化瘀止痛"
    "用法用量煎服外用适量宜忌孕妇慎用形态多年生草本植物根茎叶花果实种子采收加工炮制切片");
const QStringList Sections = {
    QStringLiteral("别名"),     QStringLiteral("性味"),     QStringLiteral("形态"),
    QStringLiteral("制法"),     QStringLiteral("炮制"),     QStringLiteral("归经"),
    QStringLiteral("宜忌"),     QStringLiteral("功用主治"), QStringLiteral("用法与用量"),
    QStringLiteral("药理作用"), QStringLiteral("临床应用"), QStringLiteral("化学成分"),
    QStringLiteral("名家论述")};

QString EntryText(const QString& name, QRandomGenerator& rng) {
    const int target = 2048 + int(rng.bounded(6144)); // 2 to 8 KB of UTF-8
    QString text = QStringLiteral("<h2>") + name + QStringLiteral("</h2>\r\n");
    int section = 0;
    while (text.toUtf8().size() < target) {
        QString words;
        const int length = 30 + int(rng.bounded(90));
        for (int i = 0; i < length; ++i)
            words += TextChars.at(int(rng.bounded(TextChars.size())));
        text += QStringLiteral("<p><b>【") + Sections.at(section % Sections.size()) +
                QStringLiteral("】</b>") + words + QStringLiteral("。</p>\r\n");
        ++section;
    }
    return text;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: qinglan-synth-library OUT [N]\n");
        return 2;
    }
    const QString out = args[1];
    const int count = args.size() == 3 ? args[2].toInt() : 6022;
    QRandomGenerator rng(20121210);

    for (const char* folder : {"data", "pictures", "home", "help", "about", "notice", "update"})
        QDir().mkpath(out + u'/' + QLatin1String(folder));
    const QByteArray manifest = "owner 7F3A9C20D41E6B85\nfolder data 1001\nfolder pictures 1002\n"
                                "folder home 1003\nfolder help 1004\nfolder about 1005\n"
                                "folder notice 1006\nfolder update 1007\n";
    bool ok = Write(out + QStringLiteral("/cloud.manifest"), manifest);

    QSet<QString> used;
    for (int i = 1; ok && i <= count; ++i) {
        const QString name = bench::NextSynthName(rng, i, used);
        ok = Write(out + QStringLiteral("/data/") + bench::SynthPrefix(i) + name +
                       QStringLiteral(".html"),
                   EntryText(name, rng).toUtf8());
    }
    ok = ok &&
         Write(out + QStringLiteral("/home/主页.html"),
               QStringLiteral("<body><h1>合成库</h1><p>用于测试与基准的合成条目。</p>").toUtf8());
    if (!ok) {
        std::fprintf(stderr, "qinglan-synth-library: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("wrote %d entries to %s\n", count, qPrintable(out));
    return 0;
}
