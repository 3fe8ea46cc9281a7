#include "resources/Resources.h"

namespace qinglan::resources {

QString Icon() { return QStringLiteral(":/qinglan/qinglan.png"); }
QString LargeIcon() { return QStringLiteral(":/qinglan/qinglan-256.png"); }
QString BackgroundTile() { return QStringLiteral(":/qinglan/QNLNBJ1.JPG"); }
QString SplashPicture() { return QStringLiteral(":/qinglan/splash.png"); }
QString InfoPicture() { return QStringLiteral(":/qinglan/info_background.png"); }

} // namespace qinglan::resources
