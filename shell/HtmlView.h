#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QWebEngineView>

#include <functional>

class QWebChannel;
class QWebEngineProfile;

namespace qinglan {

// The embedded HTML view of every window that shows pages. It offers what the
// windows rely on: navigation to "about:blank" or a local page file, appending
// writes to the current document, reading an input element's value, the current
// address and title, and notifications for completed documents, completed loads,
// title changes and new-window requests. Page files are read as GBK.
class HtmlView final : public QWebEngineView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlView)

public:
    // profile: the program's profile, set up by ConfigureProgramProfile.
    HtmlView(QWebEngineProfile* profile, QWidget* parent);

    // Opens "about:blank" or the full path of a local page file.
    void Navigate2(const QString& blankOrPath);
    // Opens one web address, as given.
    void Navigate(const QUrl& address);

    // Appends HTML to the current document. Writes made while the blank document
    // requested by Navigate2("about:blank") is still loading are kept, in order,
    // and written as soon as it is ready.
    void Write(const QString& html);

    // Reads the value of the input element with this id; a missing element reads
    // as empty. The answer comes asynchronously.
    void ElementValue(const QString& id, std::function<void(const QString&)> answer);

    // Offers object to scripts of the program's own world (not to the page's
    // scripts) as the web channel object named name; the script runs in that world
    // and finds it through qt.webChannelTransport. A page's own scripts cannot
    // reach it.
    void OfferToProgramScripts(const QString& name, QObject* object);
    // Runs script in the program's own world of the current document.
    void RunProgramScript(const QString& script);

    QString LocationURL() const;
    QString LocationName() const;

signals:
    // A document finished loading, or an in-page navigation (to "#") completed.
    void DocumentComplete();
    // An in-page navigation (a click on a link to "#") completed: raised once per
    // click, also when the page's own load has not finished yet.
    void InPageNavigation();
    // A load of the view ended, successfully or not.
    void DownloadComplete();
    void TitleChange(const QString& title);
    // A page asked for a new window; the engine opens none of its own.
    void NewWindow(const QUrl& address);

private:
    void OnUrlChanged(const QUrl& url);
    void OnLoadFinished();
    void FlushWrites();

    QWebChannel* m_channel = nullptr;
    QUrl m_lastUrl;
    bool m_blankPending = false;
    QList<QString> m_pendingWrites;
};

// A JavaScript string literal holding text exactly.
QString JsString(const QString& text);

// Sets up the profile that every view of the program shares and returns it:
// pages from local files may show pictures from the network, and the local-file
// guard keeps their scripts away from every other local file. Called once by
// the program's owner before any view exists.
QWebEngineProfile* ConfigureProgramProfile(QWebEngineProfile* profile);

} // namespace qinglan
