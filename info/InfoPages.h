#pragma once

#include <QStringList>

namespace qinglan {

struct Config;

// The built-in help and about pages, one string per write into the view.
QStringList BuiltInHelpPage();
QStringList BuiltInAboutPage(const Config& config);

} // namespace qinglan
