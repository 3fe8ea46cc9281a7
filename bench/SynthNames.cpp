#include "bench/SynthNames.h"

namespace bench {

namespace {

const QString NameChars = QStringLiteral(
    "人参黄芪甘草当归川芎白芍赤地茯苓术柴胡桂枝麻金银花连翘板蓝根菊薄荷防风荆芥葛知母石膏"
    "栀子枸杞山药五味附干姜半夏陈皮厚朴枳实木香砂仁楂麦冬天百合阿胶何首乌杜仲牛膝红桃益"
    "三七贝桔梗酸枣麻紫苏丁沉檀乳没芦苇竹茹蒲公英车前泽泻猪茵艾叶槐侧柏藕节茜仙鹤");

} // namespace

QString SynthPrefix(int number) {
    if (number <= 9999)
        return QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    return QString::number(number, 36).rightJustified(4, u'0').right(4).toUpper();
}

QString NextSynthName(QRandomGenerator& rng, int index, QSet<QString>& used) {
    QString name;
    do {
        name.clear();
        const int length = 2 + int(rng.bounded(3));
        for (int k = 0; k < length; ++k) {
            QChar c = NameChars.at(int(rng.bounded(NameChars.size())));
            while (c == u'参')
                c = NameChars.at(int(rng.bounded(NameChars.size())));
            name += c;
        }
        if (index % 120 == 0)
            name[int(rng.bounded(name.size()))] = u'参';
    } while (used.contains(name));
    used.insert(name);
    return name;
}

} // namespace bench
