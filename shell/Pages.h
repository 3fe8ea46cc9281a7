#pragma once

#include <QString>

namespace qinglan {

class HtmlView;

// Markup shared by the program's pages. Nothing inserted is escaped.
inline constexpr char16_t LinkStyle[] = u"text-decoration:none;color:#000000";
inline constexpr char16_t HiddenInput[] =
    u"<input ID='Tex1' style='visibility:hidden;position:absolute'>";
inline constexpr char16_t ResultPageStyle[] = u"border:0;margin:0;background:url(QNLNBJ1.JPG)";

QString BodyOpen(const QString& style);
QString NewWindowLink(const QString& url, const QString& text);
QString EntryLink(const QString& name);

// One write into the view's current document.
void WritePage(HtmlView& view, const QString& html);

// Writes html and CR LF as GBK to path, then opens that file in the view.
// Returns an error description, empty on success (the view is then not navigated).
QString ShowPageFile(HtmlView& view, const QString& path, const QString& html);

} // namespace qinglan
