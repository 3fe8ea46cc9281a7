#include "Versions.h"

#include <QStringList>

namespace qinglan {

VersionFile ParseVersionFile(const QString& text) {
    return {text.mid(5, 7), text.mid(19)};
}

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

} // namespace qinglan
