#include "info/InfoPages.h"

#include "config/Config.h"
#include "shell/Pages.h"

namespace qinglan {

namespace {

const QString OutOfDateNote =
    QStringLiteral("<p><b>由于未联网或其他原因以上内容不是最新请以联网时为准</b></p>");

} // namespace

QStringList BuiltInHelpPage() {
    return {
        BodyOpen(QStringLiteral("border:0;margin:0;")),
        QStringLiteral("<h3>【帮-助】</h3>"),
        QStringLiteral("<p>①.该软件可查询六千多种中药材，性能、别名、适应症等。</p>"),
        QStringLiteral("<p>②.首次使用该软件需大约1-3分钟更新时间（视网速而定）。</p>"),
        QStringLiteral("<p>④.在输入框内输入要查询的完整或部分中药名后单击“查询”按钮。</p>"),
        QStringLiteral("<p>⑤.发现BUG请尝试更新软件至最新版。仍无法解决问题，请联系作者，"
                       "软件仍在不断完善中（联系方式见“关于”）。</p>"),
        OutOfDateNote,
    };
}

QStringList BuiltInAboutPage(const Config& config) {
    const QString name = QStringLiteral("《Qinglan》");
    return {
        BodyOpen(QStringLiteral("border:0;margin:0;font-size:17px;")),
        QStringLiteral("<p>【关-于】</p>"),
        QStringLiteral("<p>名称：") + NewWindowLink(config.webSearchUrl + name, name) +
            QStringLiteral("</p>"),
        QStringLiteral("<p>作者：") +
            NewWindowLink(config.webSearchUrl + config.authorName, config.authorName) +
            config.authorNote + QStringLiteral("</p>"),
        QStringLiteral("<p>邮箱：<a href=\"mailto:") + config.authorEmail +
            QStringLiteral("\" style=\"") + QString::fromUtf16(LinkStyle) + QStringLiteral("\">") +
            config.authorEmail + QStringLiteral("</a></p>"),
        QStringLiteral("<p>Q Q ：") + config.authorQQ + QStringLiteral("</p>"),
        QStringLiteral("<p>电话：") + config.authorPhone + QStringLiteral("</p>"),
        OutOfDateNote,
    };
}

} // namespace qinglan
