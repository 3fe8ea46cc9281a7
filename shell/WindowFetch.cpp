#include "shell/WindowFetch.h"

#include "cloud/Http.h"
#include "shell/MessageBoxes.h"

#include <QWidget>

namespace qinglan {

QString FetchTextOrClose(QWidget* window, const QString& url) {
    if (auto text = HttpGetText(url))
        return *text;
    ShowMessage(window, QStringLiteral("获取信息失败，请检测网络连接"));
    if (window)
        window->close();
    return {};
}

} // namespace qinglan
