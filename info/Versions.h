#pragma once

#include <QString>
#include <QUrl>

namespace qinglan {

// What the version file "最新版本.txt" says: characters 6 to 12 are the latest
// version, character 20 on the release notes.
struct VersionFile final {
    QString latest;
    QString notes;
};
VersionFile ParseVersionFile(const QString& text);

// Versions compare as text, code unit by code unit; a proper prefix sorts first.
bool VersionBefore(const QString& current, const QString& latest);

// The question asked when a newer version exists.
QString UpdatePrompt(const QString& current, const QString& latest, const QString& notes);

// The executable of a version, as named in the update folder and saved beside
// the running one: "Qinglan" + version, with ".exe" on Windows.
QString ExecutableName(const QString& version);

// False for a version that would make the executable's name leave its folder.
bool IsPlainVersion(const QString& version);

// What the two lines of "公告.txt" say: three lead-in characters, then the
// menu caption; three lead-in characters, then the address to open.
struct Announcement final {
    QString caption;
    QString url;
};
Announcement ParseAnnouncement(const QString& text);

// The web address the announcement entry may open: an http or https address as
// written, or one without a scheme ("www.example.org/x") taken as http. Empty
// for anything else (file:, javascript:, another scheme, no host), which is
// never handed to a browser.
QUrl AnnouncementAddress(const QString& url);

} // namespace qinglan
