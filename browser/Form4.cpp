#include "browser/Form4.h"

#include "shell/ClientArea.h"
#include "shell/HtmlView.h"
#include "shell/MessageBoxes.h"
#include "shell/Twips.h"
#include "shell/ViewActions.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qinglan {

Form4::Form4(const QIcon& icon, QWebEngineProfile* profile) : QWidget(nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Form4"));
    setWindowIcon(icon);

    m_client = new ClientArea(QSize(Px(7920), Px(5325)), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_client);

    WebBrowser1 = new HtmlView(profile, m_client);
    Text1 = new QLineEdit(m_client);
    Command1 = new QPushButton(QStringLiteral("→"), m_client);
    setTabOrder(WebBrowser1, Text1);
    setTabOrder(Text1, Command1);

    RouteNewWindowsOf(WebBrowser1, icon, profile);
    // The reader's menu, with the page's own history and a zoom of this window's.
    auto* reading = new ViewActions(WebBrowser1, true, false, this);
    connect(reading, &ViewActions::PdfFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });
    connect(m_client, &ClientArea::Resized, this, &Form4::LayOut);
    connect(Command1, &QPushButton::clicked, this, &Form4::Go);
    connect(WebBrowser1, &HtmlView::DownloadComplete, this,
            [this] { Text1->setText(WebBrowser1->LocationURL()); });
    connect(WebBrowser1, &HtmlView::TitleChange, this, [this] {
        setWindowTitle(WebBrowser1->LocationName() + QStringLiteral(" - Vorin网页浏览"));
    });

    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
    resize(sizeHint());
}

void Form4::LayOut() {
    // A bar along the top with the address box and a square go button; the view
    // fills the rest. A placement that would give a negative size is skipped.
    const int w = m_client->width();
    const int h = m_client->height();
    const int bar = Px(300);
    if (w - bar >= 0)
        Text1->setGeometry(0, 0, w - bar, bar);
    Command1->setGeometry(w - bar, 0, bar, bar);
    if (h - bar >= 0)
        WebBrowser1->setGeometry(0, bar, w, h - bar);
}

void Form4::Go() { WebBrowser1->Navigate(QUrl(Text1->text(), QUrl::TolerantMode)); }

Form4* RouteNewWindow(const QUrl& url, const QIcon& icon, QWebEngineProfile* profile) {
    auto* window = new Form4(icon, profile);
    window->show();
    window->WebBrowser1->Navigate(url);
    return window;
}

void RouteNewWindowsOf(HtmlView* view, const QIcon& icon, QWebEngineProfile* profile) {
    QObject::connect(view, &HtmlView::NewWindow, view,
                     [icon, profile](const QUrl& url) { RouteNewWindow(url, icon, profile); });
}

} // namespace qinglan
