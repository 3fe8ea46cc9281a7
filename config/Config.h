#pragma once

#include "config/QinglanConfig.h"

#include <QString>

namespace qinglan {

// The program's configuration: constants fixed at build time. Tests and tools
// construct their own values (for example a cloud on a free loopback port).
struct Config final {
    QString itemsBaseUrl;
    short dataFolderId = 0;
    short pictureFolderId = 0;
    short homeFolderId = 0;
    short helpFolderId = 0;
    short aboutFolderId = 0;
    short noticeFolderId = 0;
    short updateFolderId = 0;
    QString webSearchUrl;
    QString authorName;
    QString authorNote;
    QString authorEmail;
    QString authorQQ;
    QString authorPhone;
    // The key downloaded updates must be signed with (base64); empty: a build
    // that does not check its updates.
    QString updatePublicKey;

    // The values compiled into this build.
    static Config Compiled();

    // Address of a folder listing or an item: the base address and the decimal number.
    QString ItemUrl(qint64 resourceNumber) const {
        return itemsBaseUrl + QString::number(resourceNumber);
    }
};

// The program's version, the last seven characters of the main window's caption.
inline constexpr const char16_t* ProgramVersion = compiled::Version;
// The folder an installed executable lies in.
inline constexpr const char16_t* InstallBinDir = compiled::InstallBinDir;

} // namespace qinglan
