#include "info/Versions.h"

#include <QRegularExpression>
#include <QStringList>

namespace qinglan {

VersionFile ParseVersionFile(const QString& text) { return {text.mid(5, 7), text.mid(19)}; }

bool VersionBefore(const QString& current, const QString& latest) {
    return QString::compare(current, latest, Qt::CaseSensitive) < 0;
}

QString UpdatePrompt(const QString& current, const QString& latest, const QString& notes) {
    return QStringLiteral("\r\n当前版本：") + current + QStringLiteral("\r\n最新版本：") + latest +
           QStringLiteral("\r\n更新内容：") + notes + QStringLiteral("\r\n\r\n是否下载最新版？");
}

QString ExecutableName(const QString& version) {
#ifdef Q_OS_WIN
    return QStringLiteral("Qinglan") + version + QStringLiteral(".exe");
#else
    return QStringLiteral("Qinglan") + version;
#endif
}

bool IsPlainVersion(const QString& version) {
    return !version.contains(u'/') && !version.contains(u'\\') && !version.contains(u"..") &&
           !version.contains(QChar(u'\0'));
}

Announcement ParseAnnouncement(const QString& text) {
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const auto afterLeadIn = [&](qsizetype i) {
        return i < lines.size() && lines[i].size() > 3 ? lines[i].mid(3) : QString();
    };
    return {afterLeadIn(0), afterLeadIn(1)};
}

QUrl AnnouncementAddress(const QString& url) {
    const QString text = url.trimmed();
    if (text.isEmpty())
        return {};
    // A scheme is letters, digits, "+", "-" and "." before the first ":"; a text
    // without one, or whose "scheme" is really a host and port, is read as http.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d)"));
    const QRegularExpressionMatch match = scheme.match(text);
    QUrl address(match.hasMatch() ? text : QStringLiteral("http://") + text, QUrl::TolerantMode);
    const QString kind = address.scheme().toLower();
    if (!address.isValid() || (kind != u"http" && kind != u"https") || address.host().isEmpty())
        return {};
    return address;
}

} // namespace qinglan
