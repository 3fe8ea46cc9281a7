#include "tests/support/ViewProbe.h"

#include "shell/HtmlView.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>

#include <memory>

QString EvaluateInView(qinglan::HtmlView& view, const QString& script, int timeoutMs) {
    auto result = std::make_shared<QString>();
    auto done = std::make_shared<bool>(false);
    view.page()->runJavaScript(script, [result, done](const QVariant& value) {
        *result = value.toString();
        *done = true;
    });
    if (!QTest::qWaitFor([&] { return *done; }, timeoutMs))
        return {};
    return *result;
}

QString WaitForDocumentContaining(qinglan::HtmlView& view, const QString& needle, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QString html;
    while (!deadline.hasExpired()) {
        html = EvaluateInView(view, QStringLiteral("document.documentElement.outerHTML"));
        if (html.contains(needle))
            return html;
        QTest::qWait(50);
    }
    return html;
}
