#include "Form1.h"

#include "ClientArea.h"
#include "DataLayout.h"
#include "FindBar.h"
#include "FollowUp.h"
#include "HomePage.h"
#include "HtmlView.h"
#include "MessageBoxes.h"
#include "NamedFile.h"
#include "Pages.h"
#include "QueryRunner.h"
#include "Resources.h"
#include "Startup.h"
#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
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
    Timer2 = new QTimer(this);
    Timer2->setInterval(10000);

    resize(sizeHint());
}

Form1::~Form1() = default;

bool Form1::Open() {
    if (!m_loaded) {
        if (!Load())
            return false;
        m_loaded = true;
    }
    const bool first = !isVisible() && !m_shownOnce;
    show();
    if (first) {
        // The menu bar's final height is known once shown; give the client area,
        // below it, its design size.
        m_shownOnce = true;
        resize(size() + (m_client->sizeHint() - m_client->size()));
    }
    raise();
    activateWindow();
    return true;
}

bool Form1::Load() {
    DataPath = DataPathFor(m_env.appDir);
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
        return;
    }
    for (const QString& row : BuiltInHomePage(m_config))
        WritePage(*WebBrowser1, row);
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
