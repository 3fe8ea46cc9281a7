#include "HtmlView.h"

#include "LocalFileGuard.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace qinglan {

namespace {

const QUrl& BlankUrl() {
    static const QUrl blank(QStringLiteral("about:blank"));
    return blank;
}

// A JavaScript string literal holding text exactly.
QString JsString(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    // "[...]" around the one string literal; U+2028/U+2029 are valid in modern JS strings.
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

bool SameDocument(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

} // namespace

QWebEngineProfile* HtmlView::SharedProfile() {
    static QWebEngineProfile* const profile = [] {
        QWebEngineProfile* p = QWebEngineProfile::defaultProfile();
        // Result pages are local files that show pictures from the cloud; the
        // guard keeps their scripts away from every other local file.
        p->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        p->setUrlRequestInterceptor(new LocalFileGuard(p));
        return p;
    }();
    return profile;
}

HtmlView::HtmlView(QWidget* parent) : QWebEngineView(parent) {
    auto* page = new QWebEnginePage(SharedProfile(), this);
    page->settings()->setDefaultTextEncoding(QStringLiteral("GBK"));
    setPage(page);

    connect(page, &QWebEnginePage::newWindowRequested, this,
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
    const QString script =
        QStringLiteral("(function(){var e=document.getElementById(%1);"
                       "return e&&typeof e.value==='string'?e.value:'';})()")
            .arg(JsString(id));
    page()->runJavaScript(script, [answer = std::move(answer)](const QVariant& value) {
        answer(value.toString());
    });
}

QString HtmlView::LocationURL() const { return url().toString(); }

QString HtmlView::LocationName() const { return title(); }

void HtmlView::OnUrlChanged(const QUrl& url) {
    const QUrl previous = m_lastUrl;
    m_lastUrl = url;
    // An in-page navigation ("#") raises no load of its own; report it here.
    if (previous.isValid() && url.hasFragment() && SameDocument(previous, url) &&
        previous != url)
        emit DocumentComplete();
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
