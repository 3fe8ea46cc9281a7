#pragma once

#include <QString>

namespace qinglan {

class HtmlView;

// Markup shared by the program's pages. Nothing inserted is escaped.
inline constexpr char16_t LinkStyle[] = u"text-decoration:none;color:#000000";
inline constexpr char16_t HiddenInput[] =
    u"<input ID='Tex1' style='visibility:hidden;position:absolute'>";
// The result page's body style; its background is the tile beside the page file.
QString ResultPageStyle();

QString BodyOpen(const QString& style);

// Text as it must stand in HTML text or a double- or single-quoted attribute:
// & < > " ' as character references. Pages of the program's own (content
// search, prescription check) insert nothing else.
QString Escaped(QStringView text);
// An entry link as EntryLink builds it, with the name escaped: a click still
// puts the name itself into Tex1.
QString EscapedEntryLink(const QString& name);
QString NewWindowLink(const QString& url, const QString& text);
QString EntryLink(const QString& name);

// One write into the view's current document.
void WritePage(HtmlView& view, const QString& html);

// Writes html and CR LF as GBK to path, then opens that file in the view.
// Returns an error description, empty on success (the view is then not navigated).
QString ShowPageFile(HtmlView& view, const QString& path, const QString& html);

} // namespace qinglan
