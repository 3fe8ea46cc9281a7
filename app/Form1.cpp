#include "Form1.h"

#include "ClientArea.h"
#include "DataLayout.h"
#include "FindBar.h"
#include "FollowUp.h"
#include "Form2.h"
#include "Form4.h"
#include "InfoWindow.h"
#include "HomePage.h"
#include "HtmlView.h"
#include "MessageBoxes.h"
#include "NamedFile.h"
#include "Pages.h"
#include "ProgramEnd.h"
#include "QueryRunner.h"
#include "Resources.h"
#include "Startup.h"
#include "SuggestionBox.h"
#include "Twips.h"
#include "UpdateCheck.h"
#include "Versions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace qinglan {

namespace {

QFont QueryFont() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(26.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

Form1::Form1(Config config, Environment environment, QWidget* parent)
    : QMainWindow(parent), m_config(std::move(config)), m_env(std::move(environment)) {
    setWindowTitle(QStringLiteral("Qinglan ") + QString::fromUtf16(ProgramVersion));
    setWindowIcon(QIcon(resources::Icon()));

    目_录 = menuBar()->addAction(QStringLiteral("目录"));
    查找 = menuBar()->addAction(QStringLiteral("查找"));
    查找->setShortcut(QKeySequence::Find);
    帮助 = menuBar()->addAction(QStringLiteral("帮助"));
    关于 = menuBar()->addAction(QStringLiteral("关于"));
    更新 = menuBar()->addAction(QStringLiteral("更新"));
    下载 = menuBar()->addAction(QStringLiteral("下载"));
    公告 = menuBar()->addAction(QString());
    公告->setEnabled(false);

    m_client = new ClientArea(QSize(Px(9225), Px(8715)), this);
    setCentralWidget(m_client);
    connect(m_client, &ClientArea::Resized, this, &Form1::LayOut);

    WebBrowser1 = new HtmlView(m_client);
    WebBrowser1->move(0, 0);

    Text1 = new QLineEdit(QStringLiteral("请输入中药名"), m_client);
    Text1->setFont(QueryFont());
    Text1->setGeometry(Px(0), Px(8040), Px(6015), Px(645));

    Command1 = new QPushButton(QStringLiteral("查 询"), m_client);
    Command1->setFont(QueryFont());
    Command1->setGeometry(Px(6000), Px(8040), Px(3255), Px(645));
    // The button overlaps the box by one pixel; keep the button on top.
    Command1->raise();

    // Enter in the query box presses the query button, as a default button would.
    connect(Text1, &QLineEdit::returnPressed, Command1, &QPushButton::click);

    setTabOrder(Text1, Command1);
    Text1->setFocus();

    m_findBar = new FindBar(WebBrowser1, m_client);
    connect(查找, &QAction::triggered, m_findBar, &FindBar::Open);

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &Form1::OnTimer1);
    Timer2 = new QTimer(this);
    Timer2->setInterval(10000);
    connect(Timer2, &QTimer::timeout, this, &Form1::OnTimer2);

    TerminateProgram = &TerminateNow;
    OpenExternally = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    m_info = new InfoWindow(m_config, m_env, windowIcon(), this);
    connect(帮助, &QAction::triggered, m_info, &InfoWindow::ShowHelp);
    connect(关于, &QAction::triggered, m_info, &InfoWindow::ShowAbout);
    connect(更新, &QAction::triggered, this, &Form1::CheckForUpdate);
    connect(下载, &QAction::triggered, this, &Form1::StartBulkDownload);
    connect(公告, &QAction::triggered, this, [this] { OpenExternally(QUrl(NoticeUrl)); });

    resize(sizeHint());
}

Form1::~Form1() = default;

bool Form1::Open() {
    if (!m_loaded) {
        if (!Load())
            return false;
        m_loaded = true;
    }
    show();
    raise();
    activateWindow();
    return true;
}

bool Form1::Load() {
    RouteNewWindowsOf(WebBrowser1, windowIcon());
    DataPath = m_env.DataPath();
    ItemsBaseUrl = m_config.itemsBaseUrl;

    QString error = EnsureDataFolder(DataPath);
    if (error.isEmpty())
        error = EnsureBackgroundTile(m_env.TilePath());
    if (!error.isEmpty()) {
        ShowFailure(nullptr, error);
        return false;
    }

    m_query = new QueryRunner(
        QueryContext{WebBrowser1, Text1, Command1, DataPath, ItemsBaseUrl,
                     m_config.pictureFolderId, m_env.ResultPagePath()},
        this);
    connect(Command1, &QPushButton::clicked, this, &Form1::RunQuery);
    new LinkFollowUp(WebBrowser1, Text1, m_query, this);
    connect(目_录, &QAction::triggered, this, [this] { RunContents(目_录, Text1, *m_query); });
    m_suggestions = new SuggestionBox(Text1, Command1, m_client, IndexPath(DataPath), this);

    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
    ShowHomePage();
    return true;
}

void Form1::ShowHomePage() {
    const QString home = GetNamedText(ItemsBaseUrl, m_config.homeFolderId,
                                      QStringLiteral("主页.html"), m_env.NamedFileBuffer());
    m_homeFromCloud = !home.isEmpty();
    if (m_homeFromCloud) {
        WritePage(*WebBrowser1, home);
        Timer1->start();
        return;
    }
    for (const QString& row : BuiltInHomePage(m_config))
        WritePage(*WebBrowser1, row);
}

void Form1::OnTimer1() {
    Timer1->stop();
    Timer1Tag = QStringLiteral("1");
    CheckForUpdate();
    Timer2->start();
}

void Form1::OnTimer2() {
    Timer2->stop();
    const QString text = GetNamedText(ItemsBaseUrl, m_config.noticeFolderId,
                                      QStringLiteral("公告.txt"), m_env.NamedFileBuffer());
    if (!text.isEmpty()) {
        const Announcement notice = ParseAnnouncement(text);
        NoticeUrl = notice.url;
        // A menu caption gives "&" a meaning of its own; show it as written.
        公告->setText(QString(notice.caption).replace(u'&', QStringLiteral("&&")));
    }
    公告->setEnabled(!NoticeUrl.isEmpty());
}

void Form1::StartBulkDownload() {
    if (!m_downloadWindow)
        return;
    m_downloadWindow->ShowDownloadControls();
    Timer1->stop();
    hide();
}

void Form1::CheckForUpdate() {
    UpdateCheck{m_config, m_env, this, Timer1, &Timer1Tag, TerminateProgram}.Run();
}

void Form1::RunQuery() {
    if (m_query)
        m_query->Run();
}

void Form1::LayOut() {
    // Each placement on its own: one that would give a negative size is skipped.
    const int width = m_client->width();
    const int height = m_client->height();
    const int row = Px(645);
    if (width >= 0)
        WebBrowser1->resize(width, WebBrowser1->height());
    if (height - row >= 0)
        WebBrowser1->resize(WebBrowser1->width(), height - row);
    Text1->move(Text1->x(), height - row);
    Command1->move(Command1->x(), height - row);
    if (m_findBar && m_findBar->isVisible())
        m_findBar->Place();
    if (m_suggestions && m_suggestions->list()->isVisible())
        m_suggestions->Place();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program with every other window.
    event->accept();
    Timer1->stop();
    Timer2->stop();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    QCoreApplication::quit();
}

} // namespace qinglan
