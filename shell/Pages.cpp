#include "shell/Pages.h"

#include "cloud/GbkText.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

namespace qinglan {

QString ResultPageStyle() {
    return QStringLiteral("border:0;margin:0;background:url(%1)")
        .arg(QString::fromUtf16(TileFileName));
}

QString BodyOpen(const QString& style) {
    return QStringLiteral("<body style=\"") + style + QStringLiteral("\">");
}

QString Escaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString EscapedEntryLink(const QString& name) { return EntryLink(Escaped(name)); }

QString NewWindowLink(const QString& url, const QString& text) {
    return QStringLiteral("<a href=\"") + url + QStringLiteral("\" target=\"_blank\" style=\"") +
           QString::fromUtf16(LinkStyle) + QStringLiteral("\">") + text + QStringLiteral("</a>");
}

QString EntryLink(const QString& name) {
    return QStringLiteral("<p><A HREF=# onClick=Tex1.value=this.id ID=\"") + name +
           QStringLiteral("\">") + name + QStringLiteral("</A></p>");
}

void WritePage(HtmlView& view, const QString& html) { view.Write(html); }

QString ShowPageFile(HtmlView& view, const QString& path, const QString& html) {
    const QString error = WriteGbkTextFile(path, html);
    if (error.isEmpty())
        view.Navigate2(path);
    return error;
}

} // namespace qinglan
