#pragma once

#include <QString>

namespace qinglan {

// Where the program keeps its files: the executable's folder and the temporary
// folder (the environment variable TEMP, else the system's temporary folder).
struct Environment final {
    QString appDir;
    QString tempDir;

    static Environment FromProcess();

    QString TilePath() const { return tempDir + QStringLiteral("/QNLNBJ1.JPG"); }
    QString ResultPagePath() const { return tempDir + QStringLiteral("/qnln1.html"); }
    QString NamedFileBuffer() const { return tempDir + QStringLiteral("/qnln2.html"); }
};

} // namespace qinglan
