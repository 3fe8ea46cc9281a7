#include "mirror/Form2.h"

#include "cloud/Files.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/BulkDownload.h"
#include "resources/Resources.h"
#include "shell/MessageBoxes.h"
#include "shell/Placement.h"
#include "shell/Twips.h"
#include "shell/WindowFetch.h"

#include <QCloseEvent>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace qinglan {

namespace {

QTimer* SecondTimer(QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setInterval(1000);
    return timer;
}

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

QLabel* Notice(QWidget* parent) {
    auto* label =
        new QLabel(QStringLiteral("正在下载文件到本地 下载成功后您可以离线使用本软件"), parent);
    label->setGeometry(Px(1200), Px(1750), Px(6135), Px(255));
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(10.5);
    font.setBold(true);
    label->setFont(font);
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(red);
    label->hide();
    return label;
}

QPushButton* CancelButton(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("取  消"), parent);
    button->setGeometry(Px(7440), Px(120), Px(1215), Px(495));
    button->hide();
    return button;
}

} // namespace

Form2::Form2(Config config, Environment environment)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), Timer1(SecondTimer(this)),
      Timer2(SecondTimer(this)),
      // Drawn in this order, the track at the bottom.
      Label2(Bar(this, QRect(0, Px(1700), Px(8775), Px(300)), QColor(128, 128, 128))),
      Label1(Bar(this, QRect(0, Px(1700), Px(15), Px(300)), QColor(255, 128, 0))),
      Label3(Notice(this)), Command1(CancelButton(this)), m_config(std::move(config)),
      m_env(std::move(environment)), m_picture(resources::SplashPicture()) {
    setWindowTitle(QStringLiteral("请稍等"));
    setWindowIcon(QIcon(resources::Icon()));
    setFixedSize(Px(8790), Px(3570));

    connect(Timer1, &QTimer::timeout, this, &Form2::BuildEntryIndex);
    connect(Timer2, &QTimer::timeout, this, &Form2::RunBulkDownload);
    connect(Command1, &QPushButton::clicked, this, &Form2::CancelRequested);
    Timer1->start();
}

Form2::~Form2() = default;

void Form2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, m_picture);
}

void Form2::AbortStartup() {
    m_startupAborted = true;
    m_startupDone = true;
    Timer1->stop();
    close();
}

void Form2::BuildEntryIndex() {
    Timer1->stop();
    m_waitingForMainWindow = true;
    // The main window loads in full (its home page included) before the index
    // is looked at: MainWindowOpened goes on from there.
    emit MainWindowWanted();
}

void Form2::MainWindowOpened() {
    if (!m_waitingForMainWindow || m_startupAborted)
        return;
    m_waitingForMainWindow = false;

    if (QFileInfo::exists(IndexPath(DataPath()))) {
        m_startupDone = true;
        close();
        emit MainWindowWanted(); // only brings it to the front
        return;
    }

    FetchListingOrClose(
        this, m_config.ItemUrl(m_config.dataFolderId), [this](const QString& listing) {
            m_startupDone = true;
            if (listing.isEmpty()) {
                close();
                return;
            }
            const QString error = WriteEntryIndex(DataPath(), EntryIndexText(ListItems(listing)));
            if (!error.isEmpty())
                ShowFailure(this, error);
            close();
        });
}

void Form2::closeEvent(QCloseEvent* event) {
    event->accept();
    // Closed by the user before the program has started: the program ends.
    if (event->spontaneous() && !m_startupDone)
        emit EndRequested();
}

QString Form2::PassEndText(const BulkPassResult& result, const QString& dataPath) {
    if (result.folderError != 0)
        return QStringLiteral(
                   "下载中止：无法写入数据文件夹“%1”（%2）。共 %3 个条目，其中 %4 个未能下载，"
                   "已下载的条目均完整保存；腾出空间后再次下载即可补全。")
            .arg(QDir::toNativeSeparators(dataPath), SystemErrorText(result.folderError))
            .arg(result.listed)
            .arg(result.missing);
    if (result.missing > 0)
        return QStringLiteral("下载结束：共 %1 个条目，其中 %2 "
                              "个未能下载。请检查网络连接或磁盘空间后再次下载。")
            .arg(result.listed)
            .arg(result.missing);
    return QStringLiteral("下载完成，您可以离线使用本软件了！");
}

void Form2::ShowDownloadControls() {
    qinglan::ShowCentred(this);
    // Every pass starts from an empty fill, one pixel wide.
    Label1->resize(Px(15), Label1->height());
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                             static_cast<QWidget*>(Label3), static_cast<QWidget*>(Command1)})
        control->show();
    Timer2->start();
}

void Form2::RunBulkDownload() {
    Timer2->stop();
    // The window keeps painting, and Cancel works, while the listing is fetched.
    FetchListingOrClose(this, m_config.ItemUrl(m_config.dataFolderId),
                        [this](const QString& listing) {
                            if (listing.isEmpty()) {
                                emit PassEnded(0);
                                close();
                                return;
                            }
                            DownloadListed(ListItems(listing));
                        });
}

void Form2::DownloadListed(const QList<RemoteItem>& items) {
    const int w = width(); // the track spans the whole window
    Label2->resize(w, Label2->height());
    auto* pass = new BulkPass(items, DataPath(), m_config.itemsBaseUrl, BulkConnections, this);
    connect(pass, &BulkPass::Progress, this, [this, w](qint64 count) {
        const double fill = double(w) / ExpectedEntryCount * double(count);
        Label1->resize(int(fill), Label1->height());
    });
    connect(pass, &BulkPass::Finished, this, [this, pass](const BulkPassResult& result) {
        pass->deleteLater();
        ShowMessage(this, PassEndText(result, DataPath()));
        emit PassEnded(result.stored);
        close();
    });
    pass->Start();
}

} // namespace qinglan
