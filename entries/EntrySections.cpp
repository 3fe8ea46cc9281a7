#include "entries/EntrySections.h"

#include <QRegularExpression>

namespace qinglan {

namespace {

bool StartsWithTag(QStringView rest, QStringView tag) {
    // rest starts right after "<" or "</"; the name must end there.
    if (!rest.startsWith(tag, Qt::CaseInsensitive))
        return false;
    if (rest.size() == tag.size())
        return true;
    const QChar next = rest[tag.size()];
    return next == u'>' || next == u'/' || next.isSpace();
}

// The end of the tag that starts at i (the position of "<"), past its ">";
// quoted attribute values may hold ">".
qsizetype TagEnd(QStringView html, qsizetype i) {
    QChar quote;
    for (qsizetype k = i + 1; k < html.size(); ++k) {
        const QChar c = html[k];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return k + 1;
        }
    }
    return html.size();
}

// Decodes the character reference at i ("&"), appending to out; returns the
// position after it, or i + 1 when it is no reference (the "&" is kept).
qsizetype DecodeReference(QStringView html, qsizetype i, QString& out) {
    const qsizetype semi = html.indexOf(u';', i + 1);
    if (semi < 0 || semi - i > 10) {
        out += u'&';
        return i + 1;
    }
    const QStringView name = html.mid(i + 1, semi - i - 1);
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(u"#x", Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                      : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            return semi + 1;
        }
    } else {
        static const QList<std::pair<QStringView, QChar>> named = {
            {u"amp", u'&'},   {u"lt", u'<'},   {u"gt", u'>'},     {u"quot", u'"'},
            {u"apos", u'\''}, {u"nbsp", u' '}, {u"middot", u'·'}, {u"times", u'×'},
        };
        for (const auto& [entity, character] : named) {
            if (name == entity) {
                out += character;
                return semi + 1;
            }
        }
    }
    out += u'&';
    return i + 1;
}

// Trims every line, folds runs of spaces and drops empty lines at both ends.
QString TidyLines(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        lines << line.simplified();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
}

} // namespace

QString PlainText(QStringView html) {
    QString out;
    out.reserve(html.size());
    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html[i];
        if (c == u'&') {
            i = DecodeReference(html, i, out);
            continue;
        }
        if (c != u'<') {
            out += (c == u'\r' || c == u'\n' || c == u'\t') ? QChar(u' ') : c;
            ++i;
            continue;
        }
        const QStringView rest = html.mid(i + 1);
        if (rest.startsWith(u"!--")) {
            const qsizetype end = html.indexOf(u"-->", i + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const bool closing = rest.startsWith(u'/');
        const QStringView name = closing ? rest.mid(1) : rest;
        if (!closing && (StartsWithTag(name, u"script") || StartsWithTag(name, u"style"))) {
            const QString closeTag = StartsWithTag(name, u"script") ? QStringLiteral("</script")
                                                                    : QStringLiteral("</style");
            const qsizetype end = html.indexOf(closeTag, i, Qt::CaseInsensitive);
            i = end < 0 ? html.size() : TagEnd(html, end);
            continue;
        }
        if (StartsWithTag(name, u"br") ||
            (closing && (StartsWithTag(name, u"p") || StartsWithTag(name, u"div") ||
                         StartsWithTag(name, u"li") || StartsWithTag(name, u"tr") ||
                         StartsWithTag(name, u"h1") || StartsWithTag(name, u"h2") ||
                         StartsWithTag(name, u"h3"))))
            out += u'\n';
        i = TagEnd(html, i);
    }
    return TidyLines(out);
}

QStringList ParseAliases(QStringView text) {
    QString bare;
    int depth = 0;
    for (const QChar c : text) {
        if (c == u'（' || c == u'(' || c == u'《')
            ++depth;
        else if (c == u'）' || c == u')' || c == u'》')
            depth = std::max(0, depth - 1);
        else if (depth == 0)
            bare += c;
    }
    static const QRegularExpression separators(QStringLiteral("[、，,；;。：:\\s]+"));
    QStringList aliases;
    for (QString piece : bare.split(separators, Qt::SkipEmptyParts)) {
        if (piece.startsWith(u'及') || piece.startsWith(u'和') || piece.startsWith(u'或'))
            piece.remove(0, 1);
        if (piece.endsWith(u'等'))
            piece.chop(1);
        const bool han = std::all_of(piece.cbegin(), piece.cend(),
                                     [](QChar c) { return c.script() == QChar::Script_Han; });
        if (han && piece.size() >= 2 && piece.size() <= 6 && !aliases.contains(piece))
            aliases << piece;
    }
    return aliases;
}

const QList<QString>& KnownSectionNames() {
    static const QList<QString> names = {
        QStringLiteral("别名"),     QStringLiteral("拉丁名"),     QStringLiteral("英文名"),
        QStringLiteral("性味"),     QStringLiteral("形态"),       QStringLiteral("制法"),
        QStringLiteral("炮制"),     QStringLiteral("归经"),       QStringLiteral("宜忌"),
        QStringLiteral("功用主治"), QStringLiteral("用法与用量"), QStringLiteral("药理作用"),
        QStringLiteral("临床应用"), QStringLiteral("化学成分"),   QStringLiteral("名家论述")};
    return names;
}

const EntrySection* EntryText::Find(QStringView name) const {
    for (const EntrySection& section : sections) {
        if (section.name == name)
            return &section;
    }
    return nullptr;
}

EntryText ReadEntrySections(QStringView html) {
    EntryText entry;
    // The sections' starts: where a paragraph opens with its name in brackets in
    // bold. The library's own form is found directly; other spellings (upper case
    // tags, attributes, spaces) by a slower pattern.
    struct Start {
        qsizetype at;   // where the paragraph opens
        qsizetype text; // where the section's text begins
        QString name;
    };
    QList<Start> starts;
    constexpr QStringView plain = u"<p><b>【";
    for (qsizetype at = html.indexOf(plain); at >= 0; at = html.indexOf(plain, at + 1)) {
        const qsizetype close = html.indexOf(u"】</b>", at + plain.size());
        if (close < 0 || close - at - plain.size() > 16)
            continue;
        starts.append(
            {at, close + 5, html.mid(at + plain.size(), close - at - plain.size()).toString()});
    }
    if (starts.isEmpty()) {
        const QString text = html.toString(); // the pattern reads a whole string
        static const QRegularExpression start(
            QStringLiteral("<p[^>]*>\\s*<b>\\s*【([^】<>]{1,16})】\\s*</b>"),
            QRegularExpression::CaseInsensitiveOption);
        for (auto it = start.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            starts.append({match.capturedStart(0), match.capturedEnd(0), match.captured(1)});
        }
    }

    const qsizetype headingOpen = html.indexOf(u"<h2", 0, Qt::CaseInsensitive);
    if (headingOpen >= 0 && (starts.isEmpty() || headingOpen < starts.first().at)) {
        const qsizetype from = html.indexOf(u'>', headingOpen);
        const qsizetype to = html.indexOf(u"</h2", headingOpen, Qt::CaseInsensitive);
        if (from >= 0 && to > from)
            entry.heading = PlainText(html.mid(from + 1, to - from - 1)).simplified();
    }
    for (qsizetype k = 0; k < starts.size(); ++k) {
        const qsizetype from = starts[k].text;
        const qsizetype to = k + 1 < starts.size() ? starts[k + 1].at : html.size();
        entry.sections.append({starts[k].name.trimmed(), PlainText(html.mid(from, to - from))});
    }
    if (entry.sections.isEmpty()) {
        const QString whole = PlainText(html);
        if (!whole.isEmpty())
            entry.sections.append({QString(), whole});
    }
    return entry;
}

} // namespace qinglan
