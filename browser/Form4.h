#pragma once

#include <QIcon>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QUrl;
class QWebEngineProfile;

namespace qinglan {

class ClientArea;
class HtmlView;

// The web browsing window: an address box, a go button and a view. Every
// new-window request of the program's views opens one of these.
class Form4 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form4)

public:
    Form4(const QIcon& icon, QWebEngineProfile* profile);

    HtmlView* WebBrowser1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void LayOut();
    void Go();

    ClientArea* m_client = nullptr;
};

// Opens a new, independent browsing window on url; the window closes and frees
// itself. Returns it for whoever wants to look; no one needs to keep it.
Form4* RouteNewWindow(const QUrl& url, const QIcon& icon, QWebEngineProfile* profile);

// Routes every new-window request of view to its own browsing window.
void RouteNewWindowsOf(HtmlView* view, const QIcon& icon, QWebEngineProfile* profile);

} // namespace qinglan
