#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

class QWebEngineProfile;

namespace qinglan {

class HtmlView;

// The information window of the help and about pages: a fixed window with its
// picture behind a small view.
class Form3 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form3)

public:
    Form3(const QIcon& icon, QWebEngineProfile* profile);

    HtmlView* WebBrowser1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace qinglan
