#include "shell/HtmlView.h"

#include "shell/LocalFileGuard.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace qinglan {

namespace {

const QUrl& BlankUrl() {
    static const QUrl blank(QStringLiteral("about:blank"));
    return blank;
}

bool SameDocument(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

// Every click on a link to "#" must reach the window as one in-page navigation.
// The engine reports a navigation only when the address changes, so after one
// click to "#" the next would go unnoticed. This script, in a world of its own
// that the page's scripts cannot reach, takes the "#" off the address again once
// the click has been handled, so that every click changes the address anew.
QWebEngineScript FragmentResetScript() {
    QWebEngineScript script;
    script.setName(QStringLiteral("qinglan-fragment-reset"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QStringLiteral(
        "document.addEventListener('click', function (event) {"
        "  var link = event.target && event.target.closest ? event.target.closest('a') : null;"
        "  if (!link || link.getAttribute('href') !== '#') return;"
        "  setTimeout(function () {"
        "    var address = location.href;"
        "    var hash = address.indexOf('#');"
        "    if (hash >= 0) history.replaceState(history.state, '', address.slice(0, hash));"
        "  }, 0);"
        "}, false);"));
    return script;
}

} // namespace

QString JsString(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    // "[...]" around the one string literal; U+2028/U+2029 are valid in modern JS strings.
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QWebEngineProfile* ConfigureProgramProfile(QWebEngineProfile* profile) {
    // Result pages are local files that show pictures from the cloud; the guard
    // keeps their scripts away from every other local file.
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    if (!profile->findChild<LocalFileGuard*>())
        profile->setUrlRequestInterceptor(new LocalFileGuard(profile));
    return profile;
}

HtmlView::HtmlView(QWebEngineProfile* profile, QWidget* parent) : QWebEngineView(parent) {
    auto* page = new QWebEnginePage(profile, this);
    page->settings()->setDefaultTextEncoding(QStringLiteral("GBK"));
    page->scripts().insert(FragmentResetScript());
    setPage(page);

    connect(
        page, &QWebEnginePage::newWindowRequested, this,
        [this](QWebEngineNewWindowRequest& request) { emit NewWindow(request.requestedUrl()); });
    connect(page, &QWebEnginePage::urlChanged, this, &HtmlView::OnUrlChanged);
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) { OnLoadFinished(); });
    connect(page, &QWebEnginePage::titleChanged, this, &HtmlView::TitleChange);
}

void HtmlView::Navigate2(const QString& blankOrPath) {
    m_pendingWrites.clear();
    if (blankOrPath == BlankUrl().toString()) {
        m_blankPending = true;
        setUrl(BlankUrl());
    } else {
        m_blankPending = false;
        setUrl(QUrl::fromLocalFile(blankOrPath));
    }
}

void HtmlView::Navigate(const QUrl& address) {
    m_pendingWrites.clear();
    m_blankPending = false;
    setUrl(address);
}

void HtmlView::Write(const QString& html) {
    m_pendingWrites.append(html);
    if (!m_blankPending)
        FlushWrites();
}

void HtmlView::FlushWrites() {
    // Scripts run in the order they are sent; document.write keeps the document
    // open, so every write appends to what the earlier ones wrote.
    for (const QString& html : std::as_const(m_pendingWrites))
        page()->runJavaScript(QStringLiteral("document.write(%1);").arg(JsString(html)));
    m_pendingWrites.clear();
}

void HtmlView::ElementValue(const QString& id, std::function<void(const QString&)> answer) {
    const QString script = QStringLiteral("(function(){var e=document.getElementById(%1);"
                                          "return e&&typeof e.value==='string'?e.value:'';})()")
                               .arg(JsString(id));
    page()->runJavaScript(
        script, [answer = std::move(answer)](const QVariant& value) { answer(value.toString()); });
}

void HtmlView::OfferToProgramScripts(const QString& name, QObject* object) {
    if (!m_channel) {
        m_channel = new QWebChannel(this);
        page()->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
        QFile source(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
        QWebEngineScript script;
        script.setName(QStringLiteral("qinglan-webchannel"));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setRunsOnSubFrames(false);
        if (source.open(QIODevice::ReadOnly))
            script.setSourceCode(QString::fromUtf8(source.readAll()));
        page()->scripts().insert(script);
    }
    m_channel->registerObject(name, object);
}

void HtmlView::RunProgramScript(const QString& script) {
    page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

QString HtmlView::LocationURL() const { return url().toString(); }

QString HtmlView::LocationName() const { return title(); }

void HtmlView::OnUrlChanged(const QUrl& url) {
    const QUrl previous = m_lastUrl;
    m_lastUrl = url;
    // An in-page navigation ("#") raises no load of its own; report it here.
    if (previous.isValid() && url.hasFragment() && SameDocument(previous, url) && previous != url) {
        emit InPageNavigation();
        emit DocumentComplete();
    }
}

void HtmlView::OnLoadFinished() {
    if (m_blankPending && page()->url() == BlankUrl()) {
        m_blankPending = false;
        FlushWrites();
    }
    emit DownloadComplete();
    emit DocumentComplete();
}

} // namespace qinglan
