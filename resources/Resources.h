#pragma once

#include <QString>

namespace qinglan::resources {

// Qt resource paths of the pictures compiled into the program.
QString Icon();           // 32 x 32 application icon
QString LargeIcon();      // 256 x 256, for the desktop entry
QString BackgroundTile(); // 66 x 39 JPEG tile of result pages
QString SplashPicture();  // 585 x 237, the please-wait window
QString InfoPicture();    // 585 x 237, the information window

} // namespace qinglan::resources
