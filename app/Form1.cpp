#include "app/Form1.h"

#include "app/HomePage.h"
#include "app/Startup.h"
#include "browser/Form4.h"
#include "check/CheckController.h"
#include "cloud/NamedFile.h"
#include "entries/DataLayout.h"
#include "info/InfoWindow.h"
#include "info/UpdateCheck.h"
#include "info/Versions.h"
#include "resources/Resources.h"
#include "search/FindBar.h"
#include "search/FollowUp.h"
#include "search/IndexKeeper.h"
#include "search/QueryRunner.h"
#include "search/SearchController.h"
#include "search/SuggestionBox.h"
#include "shell/ClientArea.h"
#include "shell/HtmlView.h"
#include "shell/MessageBoxes.h"
#include "shell/Pages.h"
#include "shell/Twips.h"
#include "shell/ViewActions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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

QTimer* OneShotTimer(int intervalMs, QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setInterval(intervalMs);
    timer->setSingleShot(true);
    return timer;
}

} // namespace

Form1::Form1(Config config, Environment environment, QWebEngineProfile* profile, QWidget* parent)
    : QMainWindow(parent), m_client(new ClientArea(QSize(Px(9225), Px(8715)), this)),
      WebBrowser1(new HtmlView(profile, m_client)),
      Text1(new QLineEdit(QStringLiteral("请输入中药名"), m_client)),
      Command1(new QPushButton(QStringLiteral("查 询"), m_client)),
      Timer1(OneShotTimer(3000, this)), Timer2(OneShotTimer(10000, this)),
      目_录(menuBar()->addAction(QStringLiteral("目录"))),
      查找(menuBar()->addAction(QStringLiteral("查找"))),
      检索(menuBar()->addAction(QStringLiteral("检索"))),
      配伍(menuBar()->addAction(QStringLiteral("配伍"))),
      帮助(menuBar()->addAction(QStringLiteral("帮助"))),
      关于(menuBar()->addAction(QStringLiteral("关于"))),
      更新(menuBar()->addAction(QStringLiteral("更新"))),
      下载(menuBar()->addAction(QStringLiteral("下载"))), 公告(menuBar()->addAction(QString())),
      m_config(std::move(config)), m_env(std::move(environment)), m_profile(profile) {
    setWindowTitle(QStringLiteral("Qinglan ") + QString::fromUtf16(ProgramVersion));
    setWindowIcon(QIcon(resources::Icon()));
    查找->setShortcut(QKeySequence::Find);
    公告->setEnabled(false);

    setCentralWidget(m_client);
    connect(m_client, &ClientArea::Resized, this, &Form1::LayOut);
    WebBrowser1->move(0, 0);

    Text1->setFont(QueryFont());
    Text1->setGeometry(Px(0), Px(8040), Px(6015), Px(645));
    Command1->setFont(QueryFont());
    Command1->setGeometry(Px(6000), Px(8040), Px(3255), Px(645));
    // The button overlaps the box by one pixel; keep the button on top.
    Command1->raise();
    // The window's default button: Enter on the button presses it. In the query
    // box Enter presses it too; a main window has no default-button handling of
    // its own, so the box does it, and nothing else does, so it happens once.
    Command1->setDefault(true);
    connect(Text1, &QLineEdit::returnPressed, Command1, &QPushButton::click);

    setTabOrder(Text1, Command1);
    Text1->setFocus();

    m_findBar = new FindBar(WebBrowser1, m_client);
    connect(查找, &QAction::triggered, m_findBar, &FindBar::Open);

    m_reading = new ViewActions(WebBrowser1, true, true, this);
    m_reading->UseOwnerHistory();
    connect(m_reading, &ViewActions::BackRequested, this, &Form1::GoBack);
    connect(m_reading, &ViewActions::ForwardRequested, this, &Form1::GoForward);
    connect(m_reading, &ViewActions::FindRequested, m_findBar, &FindBar::Open);
    connect(m_reading, &ViewActions::PdfFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });

    connect(Timer1, &QTimer::timeout, this, &Form1::OnTimer1);
    connect(Timer2, &QTimer::timeout, this, &Form1::OnTimer2);

    m_info = new InfoWindow(m_config, m_env, windowIcon(), m_profile, this);
    connect(帮助, &QAction::triggered, m_info, &InfoWindow::ShowHelp);
    connect(关于, &QAction::triggered, m_info, &InfoWindow::ShowAbout);
    connect(更新, &QAction::triggered, this, &Form1::CheckForUpdate);
    connect(下载, &QAction::triggered, this, &Form1::StartBulkDownload);
    connect(公告, &QAction::triggered, this, [this] {
        const QUrl address = AnnouncementAddress(m_noticeUrl);
        if (!address.isEmpty())
            emit OpenExternally(address);
    });

    resize(sizeHint());
}

Form1::~Form1() = default;

QString Form1::DataPath() const { return m_env.DataPath(); }

QString Form1::ItemsBaseUrl() const { return m_config.itemsBaseUrl; }

bool Form1::Open() {
    if (!m_loaded) {
        if (!Load())
            return false;
        m_loaded = true;
        return true; // shown when the home page is there
    }
    if (m_homeShown) {
        show();
        raise();
        activateWindow();
        emit Opened();
    }
    return true;
}

bool Form1::Load() {
    RouteNewWindowsOf(WebBrowser1, windowIcon(), m_profile);
    QString error = EnsureDataFolder(DataPath());
    if (error.isEmpty())
        error = EnsureBackgroundTile(m_env.TilePath());
    if (!error.isEmpty()) {
        ShowFailure(nullptr, error);
        return false;
    }

    m_query = new QueryRunner(QueryContext{WebBrowser1, DataPath(), ItemsBaseUrl(),
                                           m_config.pictureFolderId, m_env.ResultPagePath()},
                              this);
    connect(m_query, &QueryRunner::Busy, this, [this] { Command1->setEnabled(false); });
    connect(m_query, &QueryRunner::Idle, this, [this] { Command1->setEnabled(true); });
    connect(m_query, &QueryRunner::PageShown, this, [this](const QString& query) {
        RecordStep({HistoryStep::Kind::Query, query});
    });
    connect(m_query, &QueryRunner::PageFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });
    connect(Command1, &QPushButton::clicked, this, &Form1::RunQuery);
    auto* followUp = new LinkFollowUp(WebBrowser1, this);
    connect(followUp, &LinkFollowUp::EntryClicked, this, [this](const QString& name) {
        Text1->setText(name);
        RunQuery();
    });
    connect(目_录, &QAction::triggered, this, &Form1::RunContents);
    // A page of its own in the view: a query still waiting shows nothing.
    connect(检索, &QAction::triggered, m_query, &QueryRunner::Supersede);
    connect(配伍, &QAction::triggered, m_query, &QueryRunner::Supersede);
    m_keeper = new IndexKeeper(DataPath(), this);
    m_search = new SearchController(WebBrowser1, m_keeper, m_env.SearchPagePath(), this);
    connect(检索, &QAction::triggered, m_search, &SearchController::Show);
    m_check = new CheckController(WebBrowser1, m_keeper, m_env.CheckPagePath(), this);
    connect(配伍, &QAction::triggered, m_check, &CheckController::Show);
    connect(m_search, &SearchController::Shown, this, [this] {
        RecordStep({HistoryStep::Kind::Search, {}});
    });
    connect(m_check, &CheckController::Shown, this, [this] {
        RecordStep({HistoryStep::Kind::Check, {}});
    });
    connect(m_check, &CheckController::PageFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });
    connect(m_search, &SearchController::DownloadAllRequested, this, &Form1::StartBulkDownload);
    connect(m_search, &SearchController::PageFailed, this,
            [this](const QString& message) { ShowMessage(this, message); });
    connect(m_query, &QueryRunner::EntryStored, m_keeper, &IndexKeeper::EntryStored);
    m_suggestions = new SuggestionBox(Text1, Command1, m_client, IndexPath(DataPath()), this);

    WebBrowser1->Navigate2(QStringLiteral("about:blank"));
    ShowHomePage();
    return true;
}

void Form1::ShowHomePage() {
    // The window shows itself once the home page is there; meanwhile the splash
    // stays, and the program can be ended.
    FetchNamedText(ItemsBaseUrl(), m_config.homeFolderId, QStringLiteral("主页.html"),
                   m_env.NamedFileBuffer(), this, [this](const QString& home) {
                       if (m_closing)
                           return;
                       m_homeFromCloud = !home.isEmpty();
                       if (m_homeFromCloud) {
                           WritePage(*WebBrowser1, home);
                           Timer1->start();
                       } else {
                           for (const QString& row : BuiltInHomePage(m_config))
                               WritePage(*WebBrowser1, row);
                       }
                       m_homeShown = true;
                       show();
                       raise();
                       activateWindow();
                       emit Opened();
                   });
}

void Form1::RunQuery() {
    if (m_query && !m_closing)
        m_query->Run(Text1->text());
}

void Form1::RunContents() {
    // The entry stays disabled until the contents query, and any query asked for
    // during it, has run.
    目_录->setEnabled(false);
    Text1->setText(QStringLiteral("."));
    RunQuery();
    if (!m_query || !m_query->IsRunning()) {
        目_录->setEnabled(true);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(m_query, &QueryRunner::Idle, this, [this, connection] {
        disconnect(*connection);
        目_录->setEnabled(true);
    });
}

void Form1::OnTimer1() {
    Timer1->stop();
    m_timer1Tag = QStringLiteral("1");
    // The announcement timer starts once this check is over.
    StartUpdateCheck(true);
}

void Form1::OnTimer2() {
    Timer2->stop();
    FetchNamedText(ItemsBaseUrl(), m_config.noticeFolderId, QStringLiteral("公告.txt"),
                   m_env.NamedFileBuffer(), this, [this](const QString& text) {
                       if (m_closing)
                           return;
                       if (!text.isEmpty()) {
                           const Announcement notice = ParseAnnouncement(text);
                           m_noticeUrl = notice.url;
                           // A menu caption gives "&" a meaning of its own; show it as written.
                           公告->setText(
                               QString(notice.caption).replace(u'&', QStringLiteral("&&")));
                       }
                       公告->setEnabled(!m_noticeUrl.isEmpty());
                   });
}

void Form1::StartBulkDownload() {
    Timer1->stop();
    emit BulkDownloadRequested();
    hide();
}

void Form1::CheckForUpdate() { StartUpdateCheck(false); }

void Form1::StartUpdateCheck(bool fromTimer) {
    Timer1->stop();
    // One check at a time: the menu does nothing while one waits for its answers.
    if (m_update || m_closing)
        return;
    m_update = new UpdateCheck(m_config, m_env, QString::fromUtf16(ProgramVersion),
                               m_timer1Tag == u"1", this, &m_rejectedUpdates, this);
    connect(m_update, &UpdateCheck::Finished, this, [this, fromTimer](UpdateCheckEnd end) {
        m_update->deleteLater();
        m_update = nullptr;
        if (end == UpdateCheckEnd::UpToDate)
            m_timer1Tag.clear();
        if (end == UpdateCheckEnd::Saved) {
            emit TerminateRequested();
        } else if (fromTimer && !m_closing) {
            Timer2->start();
        }
        emit UpdateCheckEnded();
    });
    m_update->Start();
}

void Form1::RecordStep(const HistoryStep& step) {
    // A step run again from the history is its current step already, and Push
    // passes over it; a query started meanwhile is recorded as any other.
    m_history.Push(step);
    m_reading->SetHistoryState(m_history.CanGoBack(), m_history.CanGoForward());
    const auto current = m_history.Current();
    m_reading->SetDocumentName(!current                                     ? QString()
                               : current->kind == HistoryStep::Kind::Search ? QStringLiteral("检索")
                               : current->kind == HistoryStep::Kind::Check ? QStringLiteral("配伍")
                                                                           : current->text);
}

void Form1::ShowStep(const HistoryStep& step) {
    // Run again, the step rebuilds its page as a new one would be.
    switch (step.kind) {
    case HistoryStep::Kind::Query:
        Text1->setText(step.text);
        RunQuery();
        break;
    case HistoryStep::Kind::Search:
        m_query->Supersede();
        m_search->Show();
        break;
    case HistoryStep::Kind::Check:
        m_query->Supersede();
        m_check->Show();
        break;
    }
    m_reading->SetHistoryState(m_history.CanGoBack(), m_history.CanGoForward());
}

void Form1::GoBack() {
    if (!m_loaded || m_closing)
        return;
    if (const auto step = m_history.Back())
        ShowStep(*step);
}

void Form1::GoForward() {
    if (!m_loaded || m_closing)
        return;
    if (const auto step = m_history.Forward())
        ShowStep(*step);
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
    // Nothing of this window starts after it closed: a query paused in its scan
    // stops there without writing a page.
    event->accept();
    m_closing = true;
    Timer1->stop();
    Timer2->stop();
    if (m_query)
        m_query->Abandon();
    emit Closed();
}

} // namespace qinglan
