#include "Form2.h"

#include "BulkDownload.h"
#include "DataLayout.h"
#include "EntryIndex.h"
#include "Listing.h"
#include "MessageBoxes.h"
#include "ProgramEnd.h"
#include "Placement.h"
#include "Resources.h"
#include "Twips.h"
#include "WindowFetch.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <QFileInfo>
#include <QPainter>
#include <QTimer>

namespace qinglan {

namespace {

QLabel* Bar(QWidget* parent, const QRect& geometry, const QColor& color) {
    auto* label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, color);
    label->setPalette(palette);
    label->hide();
    return label;
}

} // namespace

Form2::Form2(Config config, Environment environment, QWidget* mainWindow,
             std::function<bool()> openMainWindow)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_config(std::move(config)),
      m_env(std::move(environment)), m_mainWindow(mainWindow),
      m_openMainWindow(std::move(openMainWindow)), m_picture(resources::SplashPicture()) {
    setWindowTitle(QStringLiteral("请稍等"));
    setWindowIcon(QIcon(resources::Icon()));
    setFixedSize(Px(8790), Px(3570));
    DataPath = m_env.DataPath();

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form2::BuildEntryIndex);
    Timer1->start();

    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &Form2::RunBulkDownload);

    // Drawn in this order, the track at the bottom.
    Label2 = Bar(this, QRect(0, Px(1700), Px(8775), Px(300)), QColor(128, 128, 128));
    Label1 = Bar(this, QRect(0, Px(1700), Px(15), Px(300)), QColor(255, 128, 0));
    Label3 = new QLabel(QStringLiteral("正在下载文件到本地 下载成功后您可以离线使用本软件"), this);
    Label3->setGeometry(Px(1200), Px(1750), Px(6135), Px(255));
    QFont notice;
    notice.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    notice.setPointSizeF(10.5);
    notice.setBold(true);
    Label3->setFont(notice);
    QPalette red = Label3->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label3->setPalette(red);
    Label3->hide();
    Command1 = new QPushButton(QStringLiteral("取  消"), this);
    Command1->setGeometry(Px(7440), Px(120), Px(1215), Px(495));
    Command1->hide();
    TerminateProgram = &TerminateNow;
    connect(Command1, &QPushButton::clicked, this, [this] { TerminateProgram(); });
}

Form2::~Form2() = default;

void Form2::ShowCentred() { qinglan::ShowCentred(this); }

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

void Form2::ShowDownloadControls() {
    DataPath = m_env.DataPath();
    ShowCentred();
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                             static_cast<QWidget*>(Label3), static_cast<QWidget*>(Command1)})
        control->show();
    Timer2->start();
}

void Form2::RunBulkDownload() {
    Timer2->stop();
    DataPath = m_env.DataPath();

    const QString listing = FetchTextOrClose(this, m_config.ItemUrl(m_config.dataFolderId));
    if (listing.isEmpty()) {
        m_mainWindow->show();
        close();
        return;
    }

    const int w = width(); // the track spans the whole window
    Label2->resize(w, Label2->height());
    DownloadMissingEntries(ListItems(listing), DataPath, m_config.itemsBaseUrl, [&](qint64 count) {
        const double fill = double(w) / ExpectedEntryCount * double(count);
        Label1->resize(int(fill), Label1->height());
        QCoreApplication::processEvents();
    });

    ShowMessage(this, QStringLiteral("下载完成，您可以离线使用本软件了！"));
    m_mainWindow->show();
    close();
}

} // namespace qinglan
