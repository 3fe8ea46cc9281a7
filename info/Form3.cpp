#include "info/Form3.h"

#include "browser/Form4.h"
#include "resources/Resources.h"
#include "shell/HtmlView.h"
#include "shell/MessageBoxes.h"
#include "shell/Twips.h"
#include "shell/ViewActions.h"

#include <QPainter>

namespace qinglan {

Form3::Form3(const QIcon& icon, QWebEngineProfile* profile)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_picture(resources::InfoPicture()) {
    setFixedSize(Px(8670), Px(3165));
    setWindowIcon(icon);
    WebBrowser1 = new HtmlView(profile, this);
    WebBrowser1->setGeometry(Px(960), Px(240), Px(7335), Px(2295));
    RouteNewWindowsOf(WebBrowser1, icon, profile);
    auto* reading = new ViewActions(WebBrowser1, true, false, this);
    connect(reading, &ViewActions::PdfFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });
    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
}

void Form3::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture); // larger than the window: cut at the right and bottom
}

} // namespace qinglan
