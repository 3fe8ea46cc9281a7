#include "config/Config.h"

namespace qinglan {

Config Config::Compiled() {
    namespace c = compiled;
    Config config;
    config.itemsBaseUrl = QString::fromUtf16(c::ItemsBaseUrl);
    config.dataFolderId = c::DataFolderId;
    config.pictureFolderId = c::PictureFolderId;
    config.homeFolderId = c::HomeFolderId;
    config.helpFolderId = c::HelpFolderId;
    config.aboutFolderId = c::AboutFolderId;
    config.noticeFolderId = c::NoticeFolderId;
    config.updateFolderId = c::UpdateFolderId;
    config.webSearchUrl = QString::fromUtf16(c::WebSearchUrl);
    config.authorName = QString::fromUtf16(c::AuthorName);
    config.authorNote = QString::fromUtf16(c::AuthorNote);
    config.authorEmail = QString::fromUtf16(c::AuthorEmail);
    config.authorQQ = QString::fromUtf16(c::AuthorQQ);
    config.authorPhone = QString::fromUtf16(c::AuthorPhone);
    config.updatePublicKey = QString::fromUtf16(c::UpdatePublicKey);
    return config;
}

} // namespace qinglan
