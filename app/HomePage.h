#pragma once

#include <QStringList>

namespace qinglan {

struct Config;

// The built-in home page, one string per write into the view.
QStringList BuiltInHomePage(const Config& config);

} // namespace qinglan
