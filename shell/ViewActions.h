#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QMenu;
class QWidget;

namespace qinglan {

class HtmlView;

// What a reader does with a view besides following links: go back and forward,
// copy, select all, find, zoom, print and save as PDF, and open a link in a new
// window. The view's right-click menu offers exactly these, in Chinese, and
// nothing of the engine's own (no page source, no saving the page, no inspector).
//
// Back and forward go through the page's own history unless the owner keeps a
// history of its own (UseOwnerHistory): then they are asked for with signals.
// The zoom (50 % to 300 %) is kept for every page the view shows.
//
// The same is had from the keyboard anywhere in the view's window (Alt+Left and
// Alt+Right, Ctrl+= or Ctrl++, Ctrl+-, Ctrl+0, Ctrl+P) and from the mouse over
// the view (its back and forward buttons, Ctrl+wheel).
class ViewActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewActions)

public:
    // routesNewWindows: the view's new-window requests open browsing windows, so
    // that a link can be opened in one.
    // offersFind: the owner has a find bar (FindRequested opens it).
    ViewActions(HtmlView* view, bool routesNewWindows, bool offersFind, QObject* parent);

    void UseOwnerHistory() { m_ownerHistory = true; }
    void SetHistoryState(bool canBack, bool canForward);
    // The name a PDF of the page is offered under (without ".pdf").
    void SetDocumentName(const QString& name) { m_documentName = name; }

    // The menu for a right click with this link under the pointer (empty for
    // none) and whether text is selected; the caller shows and deletes it.
    QMenu* BuildMenu(const QUrl& link, bool hasSelection, QWidget* parent);

    static constexpr int MinZoomPercent = 50;
    static constexpr int MaxZoomPercent = 300;
    int ZoomPercent() const { return m_zoomPercent; }
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();

    void Back();
    void Forward();
    // The system's print dialog, then the page as shown, pictures and background.
    void Print();
    // A file dialog (the document name + ".pdf" in the documents folder), then the PDF.
    void SavePdf();
    // The PDF of the page to path, written whole or not at all; PdfSaved or
    // PdfFailed tells how it went.
    void SavePdfTo(const QString& path);

signals:
    void BackRequested();
    void ForwardRequested();
    void FindRequested();
    void PdfSaved(const QString& path);
    // The text names the file and the system's error.
    void PdfFailed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyZoom();
    void AddShortcuts();

    HtmlView* const m_view;
    const bool m_routesNewWindows;
    const bool m_offersFind;
    bool m_ownerHistory = false;
    bool m_canBack = false;
    bool m_canForward = false;
    int m_zoomPercent = 100;
    QString m_documentName;
};

} // namespace qinglan
