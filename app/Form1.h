#pragma once

#include "app/History.h"
#include "config/Config.h"
#include "shell/Environment.h"

#include <QMainWindow>
#include <QSet>
#include <QString>
#include <QUrl>

class QAction;
class QLineEdit;
class QPushButton;
class QTimer;
class QWebEngineProfile;

namespace qinglan {

class ClientArea;
class FindBar;
class HtmlView;
class InfoWindow;
class QueryRunner;
class SearchController;
class CheckController;
class IndexKeeper;
class SuggestionBox;
class UpdateCheck;
class ViewActions;

// The main window: the page view, the query row beneath it and the menu bar.
// It says with signals what it cannot do itself (the bulk download, ending the
// program, opening an address in the user's browser); the program connects them.
class Form1 final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

    // Declared before the controls, which are made on it.
    ClientArea* const m_client;

public:
    Form1(Config config, Environment environment, QWebEngineProfile* profile,
          QWidget* parent = nullptr);
    ~Form1() override;

    // Shows the window, running the start-up sequence first when it has not run:
    // the window shows itself, and says Opened, once the home page is there
    // (from the cloud, or built in). False when start-up failed: the failure was
    // reported, and the caller ends the program.
    bool Open();

    // Fixed by start-up: the local data folder and the items address prefix.
    QString DataPath() const;
    QString ItemsBaseUrl() const;

    // The controls, under the names the rest of the program knows them by.
    HtmlView* const WebBrowser1;
    QLineEdit* const Text1;
    QPushButton* const Command1;
    QTimer* const Timer1;
    QTimer* const Timer2;
    QAction* const 目_录;
    QAction* const 查找;
    QAction* const 检索;
    QAction* const 配伍;
    QAction* const 帮助;
    QAction* const 关于;
    QAction* const 更新;
    QAction* const 下载;
    QAction* const 公告;

    bool HomePageFromCloud() const { return m_homeFromCloud; }
    // "1" while the update check runs by itself (Timer1's tag in the design).
    QString Timer1Tag() const { return m_timer1Tag; }
    // The address the announcement entry opens.

    QueryRunner* Query() const { return m_query; }
    FindBar* Finder() const { return m_findBar; }
    InfoWindow* Info() const { return m_info; }
    SuggestionBox* Suggestions() const { return m_suggestions; }
    SearchController* Search() const { return m_search; }
    CheckController* Check() const { return m_check; }
    IndexKeeper* Keeper() const { return m_keeper; }

    // The query of the query box, as the button runs it.
    void RunQuery();
    // Mirrors every entry into the data folder: stops Timer1, asks for the
    // download window and hides this one until the pass has ended.
    void StartBulkDownload();
    // The update check from the menu; nothing while one is running.
    void CheckForUpdate();
    // The start-up timer's tick: the silent update check, then the announcement timer.
    void OnTimer1();

    // The previous or next page of this run, shown by running its step again.
    void GoBack();
    void GoForward();
    ViewActions* Reading() const { return m_reading; }
    const History& PageHistory() const { return m_history; }

signals:
    // The start-up sequence is done and the window shown (also when asked again).
    void Opened();
    // An update check ended (after TerminateRequested when it saved an update).
    void UpdateCheckEnded();
    // The bulk download was asked for; the download window takes over.
    void BulkDownloadRequested();
    // The program must end at once, without closing windows (an update was saved).
    void TerminateRequested();
    // An address to open in the user's own browser (the announcement).
    void OpenExternally(const QUrl& address);
    // The window was closed: a running query stops at its next pause and nothing
    // new starts here; the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool Load();
    void LayOut();
    void ShowHomePage();
    void StartUpdateCheck(bool fromTimer);
    void OnTimer2();
    void RunContents();
    void ShowStep(const HistoryStep& step);
    void RecordStep(const HistoryStep& step);

    const Config m_config;
    const Environment m_env;
    QWebEngineProfile* const m_profile;
    bool m_loaded = false;
    bool m_closing = false;
    bool m_homeFromCloud = false;
    bool m_homeShown = false;
    UpdateCheck* m_update = nullptr;
    QString m_timer1Tag;
    QString m_noticeUrl;
    // Versions whose download failed its signature check in this run.
    QSet<QString> m_rejectedUpdates;
    QueryRunner* m_query = nullptr;
    FindBar* m_findBar = nullptr;
    InfoWindow* m_info = nullptr;
    SuggestionBox* m_suggestions = nullptr;
    SearchController* m_search = nullptr;
    CheckController* m_check = nullptr;
    IndexKeeper* m_keeper = nullptr;
    ViewActions* m_reading = nullptr;
    History m_history;
};

} // namespace qinglan
