#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

namespace qinglan {

class HtmlView;

// A page of the program's own in the main view whose form talks to the program:
// every change of the form sends the form's state, and the program answers with
// the results part of the page. The two meet through an object offered to the
// program's own script world only (HtmlView::OfferToProgramScripts), so that no
// script of an entry page can reach it. Everything a page shows is escaped by
// the functions that build it.
class ProgramPage : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgramPage)

public:
    // bridgeName: the name the page's form carries in data-bridge.
    ProgramPage(HtmlView* view, QString pagePath, QString bridgeName, QObject* parent);

    // Writes the page to its file and shows it.
    void Show();
    // Whether the view shows this page now.
    bool IsShown() const;

    // Called by the page's script: the form's state as JSON, or a button's action.
    Q_INVOKABLE void Changed(const QString& state);
    Q_INVOKABLE void Action(const QString& name);

signals:
    // The page could not be written; the text names the file and the error.
    void PageFailed(const QString& message);
    // The page was written and is being shown.
    void Shown();
    // The results shown for the form's current state.
    void ResultsShown(const QString& html);

protected:
    virtual QString PageHtml() const = 0;
    // The results part for the form's state; a null string shows nothing new.
    virtual QString ResultsHtml(const QJsonObject& state) = 0;
    virtual void OnAction(const QString& name) { Q_UNUSED(name) }
    virtual void OnShown() {}
    // Shows the results for the last state again (the data changed).
    void Render();

private:
    HtmlView* const m_view;
    const QString m_pagePath;
    const QString m_bridgeName;
    QString m_state;
    bool m_pageLoaded = false;
};

// The script, run in the program's own world of such a page, that sends the
// form's state (text fields, choices, checked boxes by name) on every change,
// sends a click on an element with data-action as that action, and puts the
// results it is given into the element with id "results".
QString ProgramPageScript();

} // namespace qinglan
