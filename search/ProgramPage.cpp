#include "search/ProgramPage.h"

#include "shell/HtmlView.h"
#include "shell/Pages.h"

#include <QJsonDocument>

namespace qinglan {

ProgramPage::ProgramPage(HtmlView* view, QString pagePath, QString bridgeName, QObject* parent)
    : QObject(parent), m_view(view), m_pagePath(std::move(pagePath)),
      m_bridgeName(std::move(bridgeName)) {
    m_view->OfferToProgramScripts(m_bridgeName, this);
    connect(m_view, &HtmlView::DownloadComplete, this, [this] {
        m_pageLoaded = IsShown();
        if (m_pageLoaded)
            m_view->RunProgramScript(ProgramPageScript());
    });
}

bool ProgramPage::IsShown() const {
    return m_view->url().adjusted(QUrl::RemoveFragment) == QUrl::fromLocalFile(m_pagePath);
}

void ProgramPage::Show() {
    m_pageLoaded = false;
    m_state.clear();
    const QString error = ShowPageFile(*m_view, m_pagePath, PageHtml());
    if (!error.isEmpty()) {
        emit PageFailed(QStringLiteral("无法写入页面%1").arg(error));
        return;
    }
    emit Shown();
    OnShown();
}

void ProgramPage::Changed(const QString& state) {
    if (!IsShown())
        return;
    m_state = state;
    Render();
}

void ProgramPage::Action(const QString& name) {
    if (IsShown())
        OnAction(name);
}

void ProgramPage::Render() {
    if (!m_pageLoaded || !IsShown())
        return;
    const QString html = ResultsHtml(QJsonDocument::fromJson(m_state.toUtf8()).object());
    if (html.isNull())
        return;
    m_view->RunProgramScript(
        QStringLiteral("window.qinglanShowResults && qinglanShowResults(%1);").arg(JsString(html)));
    emit ResultsShown(html);
}

QString ProgramPageScript() {
    return QStringLiteral(R"(
(function () {
  var form = document.querySelector('form[data-bridge]');
  var results = document.getElementById('results');
  if (!form || !results || window.qinglanPage) return;
  window.qinglanPage = true;
  function state() {
    var s = {};
    var fields = form.elements;
    for (var i = 0; i < fields.length; ++i) {
      var f = fields[i];
      if (!f.name) continue;
      if (f.type === 'checkbox') {
        if (!s[f.name]) s[f.name] = [];
        if (f.checked) s[f.name].push(f.value);
      } else {
        s[f.name] = f.value;
      }
    }
    return JSON.stringify(s);
  }
  // Changes before the channel is ready are sent once it is.
  var bridge = null;
  var send = function () { if (bridge) bridge.Changed(state()); };
  form.addEventListener('input', send);
  form.addEventListener('change', send);
  document.addEventListener('click', function (event) {
    var target = event.target && event.target.closest ? event.target.closest('[data-action]') : null;
    if (bridge && target) bridge.Action(target.getAttribute('data-action'));
  });
  window.qinglanShowResults = function (html) { results.innerHTML = html; };
  var first = form.querySelector('input[type=text], textarea');
  if (first) first.focus();
  new QWebChannel(qt.webChannelTransport, function (channel) {
    bridge = channel.objects[form.getAttribute('data-bridge')];
    send();
  });
})();
)");
}

} // namespace qinglan
