#pragma once

#include "Config.h"
#include "Environment.h"

#include <QMainWindow>
#include <QString>
#include <QUrl>

#include <functional>

class QAction;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qinglan {

class ClientArea;
class FindBar;
class Form2;
class InfoWindow;
class HtmlView;
class QueryRunner;
class SuggestionBox;

// The main window: the page view, the query row beneath it and the menu bar.
class Form1 final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    Form1(Config config, Environment environment, QWidget* parent = nullptr);
    ~Form1() override;

    // Shows the window, running the start-up sequence first when it has not run.
    // False when start-up failed: the failure was reported, and the caller ends
    // the program.
    bool Open();

    // Window state fixed by start-up.
    QString DataPath;
    QString ItemsBaseUrl;

    // Controls, under the names the rest of the program knows them by.
    HtmlView* WebBrowser1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QAction* 目_录 = nullptr;
    QAction* 查找 = nullptr;
    QAction* 帮助 = nullptr;
    QAction* 关于 = nullptr;
    QAction* 更新 = nullptr;
    QAction* 下载 = nullptr;
    QAction* 公告 = nullptr;
    // Timer1's Tag: "1" while the update check runs by itself.
    QString Timer1Tag;
    // The address the announcement entry opens.
    QString NoticeUrl;

    bool HomePageFromCloud() const { return m_homeFromCloud; }

    // The query of the query button, Enter, the contents command and entry links.
    void RunQuery();
    QueryRunner* Query() const { return m_query; }
    FindBar* Finder() const { return m_findBar; }
    InfoWindow* Info() const { return m_info; }
    SuggestionBox* Suggestions() const { return m_suggestions; }

    // The window that shows the bulk download's progress (the splash window).
    void SetDownloadWindow(Form2* window) { m_downloadWindow = window; }
    // Mirrors every entry into the data folder, for use without a network.
    void StartBulkDownload();

    // The update check, from the menu or the start-up timer.
    void CheckForUpdate();

    // How the program ends at once, and how an address opens in the user's own
    // browser; tests replace both.
    std::function<void()> TerminateProgram;
    std::function<void(const QUrl&)> OpenExternally;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool Load();
    void LayOut();
    void ShowHomePage();
    void OnTimer1();
    void OnTimer2();

    const Config m_config;
    const Environment m_env;
    ClientArea* m_client = nullptr;
    bool m_loaded = false;
    bool m_homeFromCloud = false;
    QueryRunner* m_query = nullptr;
    FindBar* m_findBar = nullptr;
    InfoWindow* m_info = nullptr;
    SuggestionBox* m_suggestions = nullptr;
    Form2* m_downloadWindow = nullptr;
};

} // namespace qinglan
