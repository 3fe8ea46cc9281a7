#pragma once

#include <QString>

namespace qinglan {
class HtmlView;
}

// Runs a script in the view and waits for its result as text (empty on time-out).
QString EvaluateInView(qinglan::HtmlView& view, const QString& script, int timeoutMs = 10000);

// Waits until the view's document HTML contains needle; returns that HTML.
QString WaitForDocumentContaining(qinglan::HtmlView& view, const QString& needle,
                                  int timeoutMs = 15000);
