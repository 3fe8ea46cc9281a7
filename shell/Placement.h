#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qinglan {

// Shows a window in the middle of the screen.
inline void ShowCentred(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->show();
}

} // namespace qinglan
