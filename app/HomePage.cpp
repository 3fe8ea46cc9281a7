#include "app/HomePage.h"

#include "config/Config.h"
#include "shell/Pages.h"

namespace qinglan {

QStringList BuiltInHomePage(const Config& config) {
    return {
        BodyOpen(QStringLiteral("border:0;margin:0;font-size:17px;background:#E0D2B5")),
        QStringLiteral("<br><center><h1>《Qinglan》</h1></center>"),
        QStringLiteral("<li>该软件由") +
            NewWindowLink(config.webSearchUrl + config.authorName, config.authorName) +
            config.authorNote + QStringLiteral("制作</li>"),
        QStringLiteral(
            "<li>该软件可查询六千多种中药材别名、异名、性味、形态、制法、炮制、归经、"
            "宜忌、功用主治、用法与用量、药理作用、临床应用、化学成分、名家论述等。</li>"),
        QStringLiteral("<li>首次使用该软件需大约1-3分钟更新时间（视网速而定）。</li>"),
        QStringLiteral("<li>在输入框内输入要查询的完整或部分中药名后单击“查询”按钮。</li>"),
        QStringLiteral("<br><br><br><br><br><br><br>"),
        QStringLiteral("<p align=\"right\">2012-12-10</p>"),
    };
}

} // namespace qinglan
