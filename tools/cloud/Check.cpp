#include "tools/cloud/Check.h"

#include "entries/CompatibilityRules.h"
#include "entries/EntryIndex.h"
#include "entries/EntrySections.h"
#include "entries/Facets.h"
#include "tools/cloud/Manifest.h"
#include "tools/cloud/Publish.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <optional>

namespace qinglan::cloudtool {

namespace {

// The text of a UTF-8 file that GBK can hold, or a problem.
std::optional<QString> ReadText(const QString& path, QStringList& problems, const QString& shown) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems << QStringLiteral("%1: cannot be read (%2)").arg(shown, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QByteArray stored;
    if (QString error = ToStoredText(bytes, shown, &stored); !error.isEmpty()) {
        problems << error;
        return std::nullopt;
    }
    return QString::fromUtf8(bytes);
}

// Tags that open and close in order; void elements need no end.
QString UnbalancedTag(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<(/?)([A-Za-z][A-Za-z0-9]*)[^>]*?(/?)>"));
    static const QStringList voids = {QStringLiteral("br"),   QStringLiteral("img"),
                                      QStringLiteral("hr"),   QStringLiteral("input"),
                                      QStringLiteral("meta"), QStringLiteral("link")};
    QStringList open;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        const QString name = match.captured(2).toLower();
        if (voids.contains(name) || !match.captured(3).isEmpty())
            continue;
        if (match.captured(1).isEmpty()) {
            open << name;
        } else if (open.isEmpty() || open.last() != name) {
            return QStringLiteral("</%1> closes %2")
                .arg(name, open.isEmpty() ? QStringLiteral("nothing")
                                          : QStringLiteral("<%1>").arg(open.last()));
        } else {
            open.removeLast();
        }
    }
    return open.isEmpty() ? QString() : QStringLiteral("<%1> is never closed").arg(open.last());
}

} // namespace

bool NamesWhole(const QString& text, const QString& name) {
    static const QString before = QStringLiteral("与和及或、，,；;：:（(“\"《 ");
    static const QString after = QStringLiteral("、，,；;。）)”\"》 等");
    const auto isHan = [](QChar c) { return c.script() == QChar::Script_Han; };
    for (qsizetype at = text.indexOf(name); at >= 0; at = text.indexOf(name, at + 1)) {
        const qsizetype end = at + name.size();
        const bool startOk = at == 0 || !isHan(text[at - 1]) || before.contains(text[at - 1]);
        const bool endOk = end == text.size() || !isHan(text[end]) || after.contains(text[end]) ||
                           QStringView(text).mid(end).startsWith(u"同用") ||
                           QStringView(text).mid(end).startsWith(u"合用");
        if (startOk && endOk)
            return true;
    }
    return false;
}

QStringList CheckLibrary(const QString& source) {
    QStringList problems;
    LibraryManifest manifest;
    if (const QString error = ReadLibraryManifest(source, &manifest); !error.isEmpty())
        return {error};

    struct Entry {
        QString shown;
        QString name;
        EntryText text;
    };
    QList<Entry> entries;
    for (const LibraryFolder& folder : manifest.folders) {
        QDir dir(source + u'/' + folder.directory);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            if (!IsTextFile(name))
                continue;
            const QString shown = folder.directory + u'/' + name;
            const auto text = ReadText(dir.filePath(name), problems, shown);
            if (!text || folder.directory != u"data")
                continue;
            if (const QString tag = UnbalancedTag(*text); !tag.isEmpty())
                problems << QStringLiteral("%1: tags do not balance: %2").arg(shown, tag);
            const QString display = name.size() > 9 ? DisplayNameOf(name).toString() : QString();
            const EntryText entry = ReadEntrySections(*text);
            if (entry.heading != display)
                problems << QStringLiteral("%1: <h2> says \"%2\", the file name \"%3\"")
                                .arg(shown, entry.heading, display);
            entries.append({shown, display, entry});

            // The known sections, each once, in the library's order.
            qsizetype last = -1;
            for (const EntrySection& section : entry.sections) {
                const qsizetype at = KnownSectionNames().indexOf(section.name);
                if (at < 0)
                    problems << QStringLiteral("%1: section 【%2】 is not one of the library's")
                                    .arg(shown, section.name);
                else if (at <= last)
                    problems << QStringLiteral("%1: section 【%2】 is out of the library's order")
                                    .arg(shown, section.name);
                else
                    last = at;
            }
            // Every entry is found by its Latin and English names too.
            QStringList missing;
            for (const char16_t* name : {u"拉丁名", u"英文名"})
                if (const EntrySection* section = entry.Find(name);
                    !section || section->text.trimmed().isEmpty())
                    missing << QString::fromUtf16(name);
            if (!missing.isEmpty())
                problems << QStringLiteral("%1: no %2").arg(shown, missing.join(u'/'));
            if (const EntrySection* section = entry.Find(u"拉丁名");
                section && std::any_of(section->text.cbegin(), section->text.cend(),
                                       [](QChar c) { return c.script() == QChar::Script_Han; }))
                problems << QStringLiteral("%1: 拉丁名 \"%2\" is not in Latin letters")
                                .arg(shown, section->text);
            if (const EntrySection* section = entry.Find(u"性味");
                !section || !ParseNatureTaste(section->text))
                problems << QStringLiteral("%1: 性味 \"%2\" does not read as nature and tastes")
                                .arg(shown, section ? section->text : QStringLiteral("(missing)"));
            // Some materials of ethnic medicine have no 归经 in the Pharmacopoeia:
            // an entry may leave it out, but one it states must read.
            if (const EntrySection* section = entry.Find(u"归经");
                section && !ParseMeridians(section->text))
                problems << QStringLiteral("%1: 归经 \"%2\" does not read as meridians")
                                .arg(shown, section->text);
        }
    }

    QHash<QString, QString> byName;
    for (const Entry& entry : std::as_const(entries)) {
        if (const auto other = byName.constFind(entry.name); other != byName.cend())
            problems << QStringLiteral("%1: the same name as %2").arg(entry.shown, *other);
        else
            byName.insert(entry.name, entry.shown);
    }

    // Every rule member's 宜忌 names its partners that the library has.
    const CompatibilityRules& rules = CompatibilityRules::Compiled();
    for (const Entry& entry : std::as_const(entries)) {
        QStringList missing;
        const EntrySection* cautions = entry.text.Find(u"宜忌");
        for (const CompatibilityRule& rule : rules.rules) {
            for (const QString& partner : rule.PartnersOf(entry.name)) {
                if (byName.contains(partner) && !missing.contains(partner) &&
                    !(cautions && NamesWhole(cautions->text, partner)))
                    missing << partner;
            }
        }
        if (!missing.isEmpty())
            problems << QStringLiteral("%1: 宜忌 does not name %2 (%3)")
                            .arg(entry.shown, missing.join(u'、'), QStringLiteral("十八反/十九畏"));
    }
    return problems;
}

} // namespace qinglan::cloudtool
