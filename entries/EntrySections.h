#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace qinglan {

// The text of an entry read as its sections. An entry is written as
//   <h2>名称</h2>
//   <p><b>【别名】</b>…</p>
//   <p><b>【性味】</b>…</p> …
// and reads as its display name (the heading) and, per section, the section's
// name and its plain text: tags removed, <br> as a line break, character
// references decoded, white space around lines trimmed.
struct EntrySection final {
    QString name; // "功用主治"; empty for the whole text of an entry without sections
    QString text;
};

struct EntryText final {
    QString heading; // the text of the first <h2>, empty when there is none
    QList<EntrySection> sections;

    // The section of that name, or nullptr.
    const EntrySection* Find(QStringView name) const;
};

// Reads an entry. A text that holds no section in that layout still gives its
// whole plain text, as one section without a name, so that any entry a cloud
// serves can be searched. Never fails; an empty text gives no section.
EntryText ReadEntrySections(QStringView html);

// The plain text of HTML: tags (and comments, scripts and styles with their
// content) removed, <br> and block ends as line breaks, character references
// decoded, runs of spaces folded.
QString PlainText(QStringView html);

// The names a 别名 section gives: the pieces between "、", "，" and "；" without
// parenthesised remarks, each of two to six Chinese characters (a connecting
// 及, 和 or 或 before and 等 after dropped); prose that is no name is left out.
QStringList ParseAliases(QStringView text);

// The section names the library uses, in its order.
const QList<QString>& KnownSectionNames();

} // namespace qinglan
