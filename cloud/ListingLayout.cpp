#include "cloud/ListingLayout.h"

namespace qinglan {

QString XmlEscaped(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

QString ListingText(const QList<ListedFile>& files) {
    using namespace listing;
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n") +
                   ItemsOpen.toString() + QStringLiteral("\r\n");
    for (const ListedFile& f : files) {
        text += u"<Item>\r\n      ";
        text += TypeOpen;
        text += f.type;
        text += TypeClose;
        text += Separation;
        text += IdOpen;
        text += f.owner + u'!' + QString::number(f.number);
        text += IdClose;
        text += Separation;
        text += NameOpen;
        text += XmlEscaped(f.name);
        text += NameClose;
        text += u"\r\n</Item>\r\n";
    }
    text += QStringLiteral("</Items>\r\n");
    return text;
}

} // namespace qinglan
