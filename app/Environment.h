#pragma once

#include <QString>

namespace qinglan {

// Where the program keeps its files: the executable's folder and the temporary
// folder (the environment variable TEMP, else the system's temporary folder).
// Beside a writable executable everything stays there (portable use). An
// installed program's folder is not writable by its user: then the data folder
// lives in the user's data folder and updates are saved to the download folder.
struct Environment final {
    QString appDir;
    QString tempDir;
    QString userDataHome = {}; // set when the executable's folder is not writable
    QString downloadDir = {};  // where updates go in that case

    static Environment FromProcess();
    // The choice made by FromProcess, for a given executable folder.
    static Environment For(const QString& appDir, const QString& tempDir, bool appDirWritable,
                           const QString& userDataHome, const QString& downloadDir);

    // The local data folder.
    QString DataPath() const;
    // The folder a downloaded update is saved to.
    QString UpdateDir() const;

    QString TilePath() const { return tempDir + QStringLiteral("/QNLNBJ1.JPG"); }
    QString ResultPagePath() const { return tempDir + QStringLiteral("/qnln1.html"); }
    QString NamedFileBuffer() const { return tempDir + QStringLiteral("/qnln2.html"); }
};

} // namespace qinglan
