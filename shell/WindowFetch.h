#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qinglan {

// Fetches the folder listing at url for window, without waiting: done(text)
// runs later on window's thread, with the listing. When the request fails, or
// the answer is no listing (a status other than 2xx, or a body without
// "<Items>"), the user is told in a message box ("获取信息失败，请检测网络连接"),
// window is closed, and done gets the empty text. A listing that lists nothing
// is a listing. done never runs when window is gone first.
void FetchListingOrClose(QWidget* window, const QString& url,
                         std::function<void(const QString& listing)> done);

} // namespace qinglan
