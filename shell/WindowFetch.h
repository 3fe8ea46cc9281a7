#pragma once

#include <QString>

class QWidget;

namespace qinglan {

// The text at url. When the request fails, the user is told in a message box
// ("获取信息失败，请检测网络连接"), window is closed, and the result is empty.
QString FetchTextOrClose(QWidget* window, const QString& url);

} // namespace qinglan
