#pragma once

#include <QString>
#include <QStringList>

namespace qinglan::cloudtool {

// Checks a library folder before it is published and reports every problem as
// "file: what is wrong": text files that are not UTF-8 or hold characters GBK
// cannot represent; in the entry folder ("data"), an <h2> that differs from the
// file's name, sections outside the known set or out of the library's order,
// 性味 or 归经 that do not read as facets, two entries with one name, an entry
// named in a 十八反 or 十九畏 rule whose 宜忌 does not name a partner that the
// library has, and tags that do not balance. Returns the problems, none when the
// library is sound; a folder that cannot be read is one problem.
QStringList CheckLibrary(const QString& source);

// Whether text names name as a whole word: not as part of a longer name (川乌
// is not named by "制川乌").
bool NamesWhole(const QString& text, const QString& name);

} // namespace qinglan::cloudtool
