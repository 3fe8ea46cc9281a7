#include "Form2.h"

#include "DataLayout.h"
#include "EntryIndex.h"
#include "Listing.h"
#include "MessageBoxes.h"
#include "Resources.h"
#include "Twips.h"
#include "WindowFetch.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace qinglan {

Form2::Form2(Config config, Environment environment, std::function<bool()> openMainWindow,
             QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_config(std::move(config)),
      m_env(std::move(environment)), m_openMainWindow(std::move(openMainWindow)),
      m_picture(resources::SplashPicture()) {
    setWindowTitle(QStringLiteral("请稍等"));
    setWindowIcon(QIcon(resources::Icon()));
    setFixedSize(Px(8790), Px(3570));
    DataPath = DataPathFor(m_env.appDir);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form2::BuildEntryIndex);
    Timer1->start();
}

Form2::~Form2() = default;

void Form2::ShowCentred() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void Form2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, m_picture);
}

void Form2::BuildEntryIndex() {
    if (!m_openMainWindow()) {
        Timer1->stop();
        close();
        return;
    }
    Timer1->stop();

    if (QFileInfo::exists(IndexPath(DataPath))) {
        close();
        m_openMainWindow(); // only brings it to the front
        return;
    }

    const QString listing =
        FetchTextOrClose(this, m_config.ItemUrl(m_config.dataFolderId));
    if (listing.isEmpty()) {
        close();
        return;
    }
    const QString error = WriteEntryIndex(DataPath, EntryIndexText(ListItems(listing)));
    if (!error.isEmpty())
        ShowFailure(this, error);
    close();
}

} // namespace qinglan
