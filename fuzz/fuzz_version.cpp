// The update check's and the announcement's readers: ParseVersionFile,
// VersionBefore, IsPlainVersion with ExecutableName, UpdatePrompt and
// ParseAnnouncement on arbitrary text.

#include "fuzz/FuzzInput.h"
#include "info/Versions.h"

#include <QDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

namespace {

using qinglan::VersionBefore;

const QString& VersionLead() {
    static const QString lead = QStringLiteral("最新版本：");
    return lead;
}

const QString& NotesLead() {
    static const QString lead = QStringLiteral("\r\n更新内容：");
    return lead;
}

// Text compare, code unit by code unit: a strict total order.
void CheckOrder(const QString& a, const QString& b, const QString& c) {
    FUZZ_CHECK(!VersionBefore(a, a));
    FUZZ_CHECK(!(VersionBefore(a, b) && VersionBefore(b, a)));
    if (a != b)
        FUZZ_CHECK(VersionBefore(a, b) || VersionBefore(b, a));
    if (VersionBefore(a, b) && VersionBefore(b, c))
        FUZZ_CHECK(VersionBefore(a, c));
    if (b.startsWith(a) && a != b)
        FUZZ_CHECK(VersionBefore(a, b));

    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            FUZZ_CHECK(VersionBefore(a, b) == (a[i].unicode() < b[i].unicode()));
            break;
        }
    }
}

// A version that passes stays a plain file name in the update folder.
void CheckPlain(const QString& version) {
    if (!qinglan::IsPlainVersion(version))
        return;
    const QString name = qinglan::ExecutableName(version);
    FUZZ_CHECK(!name.contains(u'/'));
    FUZZ_CHECK(!name.contains(QChar(u'\0')));
    const QString folder = QStringLiteral("/opt/qinglan/update");
    const QString path = folder + u'/' + name;
    FUZZ_CHECK(QDir::cleanPath(path) == path);
}

void CheckVersionFile(const QString& text, const QString& version, const QString& notes) {
    const qinglan::VersionFile parsed = qinglan::ParseVersionFile(text);
    FUZZ_CHECK(parsed.latest.size() <= 7);
    FUZZ_CHECK(text.mid(5).startsWith(parsed.latest));
    FUZZ_CHECK(text.mid(19) == parsed.notes);
    CheckPlain(parsed.latest);

    // A file written as the update folder holds it reads back: seven characters
    // of version, then the notes.
    const QString seven = (version + QStringLiteral("0000000")).left(7);
    const qinglan::VersionFile written =
        qinglan::ParseVersionFile(VersionLead() + seven + NotesLead() + notes);
    FUZZ_CHECK(written.latest == seven);
    FUZZ_CHECK(written.notes == notes);
}

void CheckPrompt(const QString& current, const QString& latest, const QString& notes) {
    const QString prompt = qinglan::UpdatePrompt(current, latest, notes);
    FUZZ_CHECK(prompt.startsWith(QStringLiteral("\r\n当前版本：") + current +
                                 QStringLiteral("\r\n最新版本：") + latest + NotesLead() + notes));
    FUZZ_CHECK(prompt.endsWith(QStringLiteral("\r\n\r\n是否下载最新版？")));
}

// A caption or address read from the announcement is the rest of its line after
// the three lead-in characters: it never holds a CR LF and ends at one or at the end.
void CheckAnnouncementPiece(const QString& text, qsizetype lineStart, const QString& piece) {
    FUZZ_CHECK(!piece.contains(u"\r\n"));
    if (piece.isEmpty())
        return;
    FUZZ_CHECK(lineStart >= 0);
    const QString after = text.mid(lineStart + 3);
    FUZZ_CHECK(after.startsWith(piece));
    FUZZ_CHECK(after.size() == piece.size() || after.mid(piece.size()).startsWith(u"\r\n"));
}

void CheckAnnouncement(const QString& text, const QString& caption, const QString& url) {
    const qinglan::Announcement parsed = qinglan::ParseAnnouncement(text);
    CheckAnnouncementPiece(text, 0, parsed.caption);
    const qsizetype secondLine = text.indexOf(u"\r\n");
    CheckAnnouncementPiece(text, secondLine < 0 ? -1 : secondLine + 2, parsed.url);

    // An announcement written as the notice folder holds it reads back.
    if (caption.contains(u"\r\n") || url.contains(u"\r\n"))
        return;
    const qinglan::Announcement written =
        qinglan::ParseAnnouncement(QStringLiteral("公告：") + caption +
                                   QStringLiteral("\r\n网址：") + url + QStringLiteral("\r\n"));
    FUZZ_CHECK(written.caption == caption);
    FUZZ_CHECK(written.url == url);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const bool wide = provider.ConsumeBool();
    const auto text = [wide](const std::string& bytes) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
        return wide ? qinglan::fuzz::Utf16Text(p, bytes.size())
                    : qinglan::fuzz::Utf8Text(p, bytes.size());
    };
    const QString a = text(provider.ConsumeRandomLengthString(64));
    const QString b = text(provider.ConsumeRandomLengthString(64));
    const QString c = text(provider.ConsumeRandomLengthString(64));
    const QString rest = text(provider.ConsumeRemainingBytesAsString());

    CheckOrder(a, b, c);
    CheckOrder(b, c, a);
    CheckPlain(a);
    CheckPlain(b);
    CheckVersionFile(rest, a, b);
    CheckPrompt(a, b, c);
    CheckAnnouncement(rest, a, b);
    return 0;
}
