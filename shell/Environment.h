#pragma once

#include <QString>

namespace qinglan {

// Where the program keeps its files: the executable's folder and the temporary
// folder. A copied, portable executable keeps its data beside itself. A program
// installed under a system prefix, or one whose folder its user cannot write,
// keeps its data in the user's data folder and saves updates to the download
// folder.
struct Environment final {
    QString appDir;
    QString tempDir;
    QString userDataHome = {}; // set when the data does not live beside the executable
    QString downloadDir = {};  // where updates go in that case

    // The choice for this process. The temporary folder is TEMP when it is set,
    // else a private folder of the user's (PrivateTempDir).
    static Environment FromProcess();
    // The choice made by FromProcess, for a given executable folder: portable
    // keeps everything beside the executable.
    static Environment For(const QString& appDir, const QString& tempDir, bool portable,
                           const QString& userDataHome, const QString& downloadDir);

    // Whether an executable in appDir was installed under a system prefix
    // (/usr/bin, /usr/local/bin, /opt/..., or the prefix this build installs to).
    static bool InstalledUnderSystemPrefix(const QString& appDir);

    // A temporary folder that only this user can enter (mode 0700), created when
    // missing: $XDG_RUNTIME_DIR/qinglan, else a folder in the user's cache. A
    // candidate that is a link, belongs to someone else or cannot be made
    // private is passed over. Empty when none can be had.
    static QString PrivateTempDir();

    // Makes path a folder of this user's with mode 0700; false when it is a link,
    // another user's, or cannot be created or restricted.
    static bool EnsurePrivateFolder(const QString& path);

    // The local data folder.
    QString DataPath() const;
    // The folder a downloaded update is saved to.
    QString UpdateDir() const;

    QString TilePath() const;
    QString ResultPagePath() const;
    QString NamedFileBuffer() const;
    // The pages of the content search and of the prescription check.
    QString SearchPagePath() const;
    QString CheckPagePath() const;
};

// The name of the page background tile, beside every result page.
inline constexpr char16_t TileFileName[] = u"QNLNBJ1.JPG";

} // namespace qinglan
