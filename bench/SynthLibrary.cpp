// Writes a synthetic library source of N entries (default 6022) for scale tests
// and benchmarks: unique names from common herb characters, entry texts of 2 to
// 8 KB with the library's 15 sections in its order (性味 and 归经 in its forms,
// 功用主治 and 药理作用 drawn from vocabularies with realistic shares), and the
// same folders as the sample library. Every entry has a 拉丁名 and an 英文名 and
// names its plant's binomial in 形态.
// Usage: qinglan-synth-library OUT [N]
#include "bench/BenchSupport.h"
#include "bench/SynthNames.h"
#include "entries/EntrySections.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <cstdio>
#include <iterator>

namespace {

const QString TextChars =
    QStringLiteral("多年生草本植物根茎叶花果实种子采收加工炮制切片表面棕色质坚断面纤维性气微味淡"
                   "夏秋二季采挖除去须根洗净晒干润透切厚片干燥药材呈圆柱形有纵皱纹");

// Vocabularies with rough shares, so that facets and words hit realistic parts
// of the library (for example about a third of the entries enter the 肺 meridian).
const QStringList Functions = {
    QStringLiteral("清热解毒"), QStringLiteral("补气"),    QStringLiteral("活血化瘀"),
    QStringLiteral("祛风除湿"), QStringLiteral("止痛"),    QStringLiteral("止咳平喘"),
    QStringLiteral("利水渗湿"), QStringLiteral("安神"),    QStringLiteral("平肝息风"),
    QStringLiteral("消食"),     QStringLiteral("理气"),    QStringLiteral("温中散寒"),
    QStringLiteral("养血"),     QStringLiteral("滋阴"),    QStringLiteral("清热燥湿"),
    QStringLiteral("凉血止血"), QStringLiteral("化痰"),    QStringLiteral("解表"),
    QStringLiteral("补肾阳"),   QStringLiteral("收敛固涩")};
const QStringList Indications = {
    QStringLiteral("头痛"),     QStringLiteral("咳嗽"),     QStringLiteral("咽喉肿痛"),
    QStringLiteral("泄泻"),     QStringLiteral("失眠"),     QStringLiteral("眩晕"),
    QStringLiteral("风湿痹痛"), QStringLiteral("水肿"),     QStringLiteral("疮痈肿毒"),
    QStringLiteral("月经不调"), QStringLiteral("食积"),     QStringLiteral("便秘"),
    QStringLiteral("发热"),     QStringLiteral("心悸"),     QStringLiteral("腹痛"),
    QStringLiteral("出血"),     QStringLiteral("气虚乏力"), QStringLiteral("痰多")};
const QStringList Pharmacology = {
    QStringLiteral("抗炎"),   QStringLiteral("镇痛"),   QStringLiteral("抗菌"),
    QStringLiteral("降压"),   QStringLiteral("抗氧化"), QStringLiteral("调节免疫"),
    QStringLiteral("镇静"),   QStringLiteral("解热"),   QStringLiteral("保肝"),
    QStringLiteral("降血糖"), QStringLiteral("抗肿瘤"), QStringLiteral("止血")};
const QStringList Constituents = {
    QStringLiteral("黄酮类"), QStringLiteral("生物碱"), QStringLiteral("挥发油"),
    QStringLiteral("皂苷"),   QStringLiteral("多糖"),   QStringLiteral("有机酸"),
    QStringLiteral("香豆素"), QStringLiteral("萜类"),   QStringLiteral("甾醇")};
const QStringList Cautions = {QStringLiteral("孕妇慎用。"), QStringLiteral("脾胃虚寒者慎用。"),
                              QStringLiteral("阴虚火旺者忌用。"), QStringLiteral("不宜久服。")};

QString Pick(const QStringList& words, QRandomGenerator& rng) {
    return words.at(int(rng.bounded(int(words.size()))));
}

// Latin names as the Pharmacopoeia writes them: the genus and often the species
// in the genitive, then the part used ("Panacis Quinquefolii Radix"); the plant
// itself as a binomial ("Panax quinquefolium").
struct Plant {
    const char* genus;
    const char* genitive;
};
const Plant Plants[] = {
    {"Panax", "Panacis"},
    {"Astragalus", "Astragali"},
    {"Glycyrrhiza", "Glycyrrhizae"},
    {"Angelica", "Angelicae"},
    {"Codonopsis", "Codonopsis"},
    {"Salvia", "Salviae"},
    {"Paeonia", "Paeoniae"},
    {"Rehmannia", "Rehmanniae"},
    {"Coptis", "Coptidis"},
    {"Scutellaria", "Scutellariae"},
    {"Atractylodes", "Atractylodis"},
    {"Ligusticum", "Ligustici"},
    {"Bupleurum", "Bupleuri"},
    {"Pinellia", "Pinelliae"},
    {"Aconitum", "Aconiti"},
    {"Lonicera", "Lonicerae"},
    {"Forsythia", "Forsythiae"},
    {"Schisandra", "Schisandrae"},
    {"Ophiopogon", "Ophiopogonis"},
    {"Dioscorea", "Dioscoreae"},
};
const QStringList Epithets = {
    QStringLiteral("sinensis"),     QStringLiteral("japonica"),    QStringLiteral("officinalis"),
    QStringLiteral("chinensis"),    QStringLiteral("lactiflora"),  QStringLiteral("glutinosa"),
    QStringLiteral("membranaceus"), QStringLiteral("uralensis"),   QStringLiteral("pilosula"),
    QStringLiteral("miltiorrhiza"), QStringLiteral("baicalensis"), QStringLiteral("ternata"),
    QStringLiteral("carmichaelii"), QStringLiteral("suspensa"),    QStringLiteral("opposita"),
    QStringLiteral("macrocephala"), QStringLiteral("chuanxiong"),  QStringLiteral("quinquefolium")};
const QStringList Parts = {
    QStringLiteral("Radix"),  QStringLiteral("Rhizoma"), QStringLiteral("Radix et Rhizoma"),
    QStringLiteral("Folium"), QStringLiteral("Flos"),    QStringLiteral("Fructus"),
    QStringLiteral("Semen"),  QStringLiteral("Herba"),   QStringLiteral("Cortex"),
    QStringLiteral("Caulis")};
const QStringList EnglishParts = {
    QStringLiteral("root"), QStringLiteral("rhizome"), QStringLiteral("root and rhizome"),
    QStringLiteral("leaf"), QStringLiteral("flower"),  QStringLiteral("fruit"),
    QStringLiteral("seed"), QStringLiteral("herb"),    QStringLiteral("bark"),
    QStringLiteral("stem")};
const QStringList EnglishWords = {
    QStringLiteral("Chinese"), QStringLiteral("Japanese"), QStringLiteral("white"),
    QStringLiteral("red"),     QStringLiteral("mountain"), QStringLiteral("wild"),
    QStringLiteral("common"),  QStringLiteral("golden"),   QStringLiteral("bitter"),
    QStringLiteral("sweet"),   QStringLiteral("hairy"),    QStringLiteral("large-flowered")};

struct LatinNames {
    QString latin;    // 拉丁名
    QString english;  // 英文名
    QString binomial; // in 形态
};

LatinNames SynthLatinNames(QRandomGenerator& rng) {
    const Plant& plant = Plants[rng.bounded(int(std::size(Plants)))];
    const QString genus = QString::fromLatin1(plant.genus);
    const QString epithet = Pick(Epithets, rng);
    const qsizetype part = rng.bounded(int(Parts.size()));
    QString species = epithet;
    species.front() = species.front().toUpper();
    LatinNames names;
    // About half name the species too, as "Angelicae Sinensis Radix" does.
    names.latin = QString::fromLatin1(plant.genitive) + u' ' +
                  (rng.bounded(2) ? species + u' ' : QString()) + Parts.at(part);
    names.english = Pick(EnglishWords, rng) + u' ' + genus.toLower() + u' ' +
                    EnglishParts.at(part) + QStringLiteral("；") + genus + u' ' +
                    EnglishParts.at(part);
    names.binomial = genus + u' ' + epithet + QStringLiteral(" Fisch.");
    return names;
}

// Distinct picks, joined.
QString Several(const QStringList& words, int count, const QString& separator,
                QRandomGenerator& rng) {
    QStringList picked;
    while (picked.size() < count) {
        const QString word = Pick(words, rng);
        if (!picked.contains(word))
            picked << word;
    }
    return picked.join(separator);
}

QString Filler(int length, QRandomGenerator& rng) {
    QString words;
    for (int i = 0; i < length; ++i) {
        words += TextChars.at(int(rng.bounded(TextChars.size())));
        if (i % 17 == 16)
            words += u'，';
    }
    return words + u'。';
}

QString NatureTaste(QRandomGenerator& rng) {
    static const QStringList tastes = {
        QStringLiteral("甘"), QStringLiteral("苦"), QStringLiteral("辛"), QStringLiteral("酸"),
        QStringLiteral("咸"), QStringLiteral("淡"), QStringLiteral("涩")};
    static const QStringList natures = {
        QStringLiteral("寒"), QStringLiteral("微寒"), QStringLiteral("凉"), QStringLiteral("平"),
        QStringLiteral("温"), QStringLiteral("微温"), QStringLiteral("热"), QStringLiteral("大寒")};
    // The common tastes far more often: 甘, 苦, 辛 first.
    const int count = 1 + int(rng.bounded(2));
    QStringList picked;
    while (picked.size() < count) {
        const QString taste = tastes.at(int(rng.bounded(rng.bounded(2) ? 3 : 7)));
        if (!picked.contains(taste))
            picked << taste;
    }
    QString text = picked.join(u'、') + u'，' + Pick(natures, rng);
    const int toxic = int(rng.bounded(100));
    if (toxic < 1)
        text += QStringLiteral("；有大毒");
    else if (toxic < 9)
        text += QStringLiteral("；有毒");
    else if (toxic < 12)
        text += QStringLiteral("；有小毒");
    return text + u'。';
}

QString Meridians(QRandomGenerator& rng) {
    // 肺, 脾, 胃, 肝, 心, 肾 most often.
    static const QStringList common = {QStringLiteral("肺"), QStringLiteral("脾"),
                                       QStringLiteral("胃"), QStringLiteral("肝"),
                                       QStringLiteral("心"), QStringLiteral("肾")};
    static const QStringList rare = {QStringLiteral("胆"),   QStringLiteral("大肠"),
                                     QStringLiteral("小肠"), QStringLiteral("膀胱"),
                                     QStringLiteral("心包"), QStringLiteral("三焦")};
    const int count = 1 + int(rng.bounded(3));
    QStringList picked;
    while (picked.size() < count) {
        const QString meridian = rng.bounded(5) ? Pick(common, rng) : Pick(rare, rng);
        if (!picked.contains(meridian))
            picked << meridian;
    }
    return QStringLiteral("归") + picked.join(u'、') + QStringLiteral("经。");
}

QString EntryText(const QString& name, QRandomGenerator& rng) {
    const int target = 2048 + int(rng.bounded(6144)); // 2 to 8 KB of UTF-8
    // The fixed sections first, then the long ones grow to the entry's size.
    const int functions = 1 + int(rng.bounded(3));
    const QString function =
        Several(Functions, functions, QStringLiteral("，"), rng) + QStringLiteral("。用于") +
        Several(Indications, 2 + int(rng.bounded(4)), QStringLiteral("，"), rng) + u'。';
    QString pharmacology;
    const int effects = 2 + int(rng.bounded(4));
    const QString effectList = Several(Pharmacology, effects, QStringLiteral(","), rng);
    const QStringList effectWords = effectList.split(u',');
    for (int i = 0; i < effectWords.size(); ++i)
        pharmacology += QString(QChar(0x2460 + i)) + effectWords[i] + QStringLiteral("作用。");
    const LatinNames latin = SynthLatinNames(rng);
    // The library's sections in its order (KnownSectionNames).
    QString sections[] = {
        QStringLiteral("%1子、%2草。").arg(name.left(1), name.right(1)),
        latin.latin,
        latin.english,
        NatureTaste(rng),
        QStringLiteral("为某科植物%1 %2 的干燥部分。").arg(name, latin.binomial), // 形态, grows
        Filler(40 + int(rng.bounded(60)), rng),
        Filler(30 + int(rng.bounded(60)), rng),
        Meridians(rng),
        Pick(Cautions, rng) + (rng.bounded(20) == 0 ? QStringLiteral("孕妇禁用。") : QString()),
        function,
        QStringLiteral("%1～%2g，煎服。").arg(3 + int(rng.bounded(3))).arg(9 + int(rng.bounded(7))),
        pharmacology,
        QString(), // 临床应用, filled below
        QStringLiteral("含") +
            Several(Constituents, 2 + int(rng.bounded(3)), QStringLiteral("、"), rng) +
            QStringLiteral("等。"),
        QString(), // 名家论述, filled below
    };
    static_assert(std::size(sections) == 15);
    QString text;
    const auto assemble = [&] {
        text = QStringLiteral("<h2>") + name + QStringLiteral("</h2>\r\n");
        for (int i = 0; i < 15; ++i)
            text += QStringLiteral("<p><b>【") + qinglan::KnownSectionNames().at(i) +
                    QStringLiteral("】</b>") + sections[i] + QStringLiteral("</p>\r\n");
    };
    const int growing[] = {4, 12, 14}; // 形态, 临床应用, 名家论述
    assemble();
    qsizetype size = text.toUtf8().size();
    for (int round = 0; size < target; ++round) {
        const QString piece = round % 3 == 1 ? QStringLiteral("配") + Pick(Functions, rng) +
                                                   QStringLiteral("之品同用，治") +
                                                   Pick(Indications, rng) + u'。'
                                             : Filler(60, rng);
        sections[growing[round % 3]] += piece;
        size += piece.toUtf8().size();
    }
    assemble();
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
    const QByteArray manifest = "owner " + bench::SynthOwner.toLatin1() +
                                "\nfolder data 1001\nfolder pictures 1002\n"
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
    // An older version than any build: the update check ends with "已经是最新版".
    ok = ok && Write(out + QStringLiteral("/update/最新版本.txt"),
                     QStringLiteral("最新版本：0.0.0.1\r\n更新内容：合成库。").toUtf8());
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
