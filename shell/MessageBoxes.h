#pragma once

#include <QString>

class QWidget;

namespace qinglan {

// The three kinds of message box the program shows.
enum class BoxStyle {
    Ok,            // OK only, no icon
    OkInformation, // OK with an information icon
    YesNoQuestion, // Yes and No with a question icon, Yes the default
};

// The title of a box that has no title of its own.
QString ApplicationTitle();

// Shows a modal box and waits for it; true when the answer was Yes (or OK).
bool ShowMessage(QWidget* parent, const QString& text, BoxStyle style = BoxStyle::Ok,
                 const QString& title = ApplicationTitle());

// A failure that names what failed, with the critical icon.
void ShowFailure(QWidget* parent, const QString& text);

} // namespace qinglan
