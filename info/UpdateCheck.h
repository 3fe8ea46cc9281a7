#pragma once

#include "config/Config.h"
#include "shell/Environment.h"

#include <QSet>
#include <QString>

class QWidget;

namespace qinglan {

// How an update check ended.
enum class UpdateCheckEnd {
    Failed,   // no usable version file, or the executable could not be had or saved
    Declined, // a newer version exists and the user said No
    Saved,    // the new executable is saved (or was already there); the program ends
    UpToDate, // nothing newer
};

// The update check: compares currentVersion with the one in the update folder's
// "最新版本.txt" and, when that one is newer and the user agrees, saves the new
// executable (Environment::UpdateDir, created when missing) and says so. Every
// outcome but UpToDate-while-silent is told in a box parented to window. The
// caller disables its start-up timer first, clears its silent flag on UpToDate
// and ends the program on Saved.
//
// With a public key in the configuration, the executable is saved only when the
// update folder also holds its signature by that key (name + ".sig", over the
// file's name and bytes); otherwise nothing is left, the failure box is shown,
// and the version goes into *rejected so that this run does not offer it again.
UpdateCheckEnd RunUpdateCheck(const Config& config, const Environment& environment,
                              const QString& currentVersion, bool silent, QWidget* window,
                              QSet<QString>* rejected = nullptr);

} // namespace qinglan
