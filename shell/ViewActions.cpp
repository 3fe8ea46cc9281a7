#include "shell/ViewActions.h"

#include "cloud/Files.h"
#include "shell/HtmlView.h"

#include <QAction>
#include <QChildEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWheelEvent>

#include <array>
#include <memory>

namespace qinglan {

namespace {

constexpr std::array<int, 13> ZoomSteps = {50,  67,  75,  80,  90,  100, 110,
                                           125, 150, 175, 200, 250, 300};

// A file name of the document name: no separators, not empty.
QString SafeFileName(const QString& name) {
    QString safe = name.trimmed();
    for (const QChar c : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'})
        safe.replace(c, u'_');
    return safe.isEmpty() || safe == u"." || safe == u".." ? QStringLiteral("Qinglan") : safe;
}

} // namespace

ViewActions::ViewActions(HtmlView* view, bool routesNewWindows, bool offersFind, QObject* parent)
    : QObject(parent), m_view(view), m_routesNewWindows(routesNewWindows),
      m_offersFind(offersFind) {
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QWebEngineContextMenuRequest* request = m_view->lastContextMenuRequest();
        std::unique_ptr<QMenu> menu(BuildMenu(request ? request->linkUrl() : QUrl(),
                                              request && !request->selectedText().isEmpty(),
                                              m_view));
        menu->exec(m_view->mapToGlobal(at));
    });
    // The engine keeps a zoom per site; the reader's zoom holds for every page.
    connect(m_view, &QWebEngineView::loadFinished, this, &ViewActions::ApplyZoom);
    connect(m_view, &QWebEngineView::urlChanged, this, &ViewActions::ApplyZoom);
    AddShortcuts();
    // The engine's own widget inside the view gets the mouse; it is made later,
    // so the view's children are watched as they come.
    m_view->installEventFilter(this);
    for (QObject* child : m_view->findChildren<QObject*>())
        child->installEventFilter(this);
}

void ViewActions::AddShortcuts() {
    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(m_view);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        m_view->addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Left), &ViewActions::Back);
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Right), &ViewActions::Forward);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), &ViewActions::ZoomIn);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus), &ViewActions::ZoomIn);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), &ViewActions::ZoomOut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), &ViewActions::ZoomReset);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &ViewActions::Print);
}

bool ViewActions::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ChildAdded) {
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        return false;
    }
    if (type == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        if (wheel->angleDelta().y() > 0)
            ZoomIn();
        else if (wheel->angleDelta().y() < 0)
            ZoomOut();
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::BackButton && mouse->button() != Qt::ForwardButton)
        return false;
    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() == Qt::BackButton)
            Back();
        else
            Forward();
    }
    return true; // the engine's own handling of these buttons is not used
}

void ViewActions::SetHistoryState(bool canBack, bool canForward) {
    m_canBack = canBack;
    m_canForward = canForward;
}

QMenu* ViewActions::BuildMenu(const QUrl& link, bool hasSelection, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool canBack = m_ownerHistory ? m_canBack : m_view->history()->canGoBack();
    const bool canForward = m_ownerHistory ? m_canForward : m_view->history()->canGoForward();
    menu->addAction(QStringLiteral("后退"), this, &ViewActions::Back)->setEnabled(canBack);
    menu->addAction(QStringLiteral("前进"), this, &ViewActions::Forward)->setEnabled(canForward);
    menu->addSeparator();
    if (m_routesNewWindows && link.isValid() && !link.isEmpty() && link.scheme() != u"file" &&
        link.adjusted(QUrl::RemoveFragment) != m_view->url().adjusted(QUrl::RemoveFragment)) {
        menu->addAction(QStringLiteral("在新窗口中打开"), this,
                        [this, link] { emit m_view->NewWindow(link); });
        menu->addSeparator();
    }
    menu->addAction(QStringLiteral("复制"), this,
                    [this] { m_view->page()->triggerAction(QWebEnginePage::Copy); })
        ->setEnabled(hasSelection);
    menu->addAction(QStringLiteral("全选"), this,
                    [this] { m_view->page()->triggerAction(QWebEnginePage::SelectAll); });
    if (m_offersFind)
        menu->addAction(QStringLiteral("查找…"), this, &ViewActions::FindRequested);
    menu->addSeparator();
    menu->addAction(QStringLiteral("放大"), this, &ViewActions::ZoomIn)
        ->setEnabled(m_zoomPercent < MaxZoomPercent);
    menu->addAction(QStringLiteral("缩小"), this, &ViewActions::ZoomOut)
        ->setEnabled(m_zoomPercent > MinZoomPercent);
    menu->addAction(QStringLiteral("实际大小"), this, &ViewActions::ZoomReset)
        ->setEnabled(m_zoomPercent != 100);
    menu->addSeparator();
    menu->addAction(QStringLiteral("打印…"), this, &ViewActions::Print);
    menu->addAction(QStringLiteral("另存为 PDF…"), this, &ViewActions::SavePdf);
    return menu;
}

void ViewActions::ApplyZoom() {
    const double factor = m_zoomPercent / 100.0;
    if (!qFuzzyCompare(m_view->zoomFactor(), factor))
        m_view->setZoomFactor(factor);
}

void ViewActions::ZoomIn() {
    for (const int step : ZoomSteps) {
        if (step > m_zoomPercent) {
            m_zoomPercent = step;
            break;
        }
    }
    ApplyZoom();
}

void ViewActions::ZoomOut() {
    for (auto it = ZoomSteps.rbegin(); it != ZoomSteps.rend(); ++it) {
        if (*it < m_zoomPercent) {
            m_zoomPercent = *it;
            break;
        }
    }
    ApplyZoom();
}

void ViewActions::ZoomReset() {
    m_zoomPercent = 100;
    ApplyZoom();
}

void ViewActions::Back() {
    if (m_ownerHistory)
        emit BackRequested();
    else
        m_view->back();
}

void ViewActions::Forward() {
    if (m_ownerHistory)
        emit ForwardRequested();
    else
        m_view->forward();
}

void ViewActions::Print() {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), m_view->window());
    dialog.setWindowTitle(QStringLiteral("打印"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The printer must live until the engine has printed.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(m_view, &QWebEngineView::printFinished, this,
                          [printer, connection](bool) { QObject::disconnect(*connection); });
    m_view->print(printer.get());
}

void ViewActions::SavePdf() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = SafeFileName(m_documentName.isEmpty() ? m_view->title() : m_documentName);
    const QString path = QFileDialog::getSaveFileName(
        m_view->window(), QStringLiteral("另存为 PDF"),
        folder + u'/' + name + QStringLiteral(".pdf"), QStringLiteral("PDF 文件 (*.pdf)"));
    if (!path.isEmpty())
        SavePdfTo(path);
}

void ViewActions::SavePdfTo(const QString& path) {
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    m_view->printToPdf(
        [this, path](const QByteArray& pdf) {
            const QString error =
                pdf.isEmpty()
                    ? QStringLiteral("“%1”：无法生成 PDF").arg(QDir::toNativeSeparators(path))
                    : ReplaceFile(path, pdf);
            if (error.isEmpty())
                emit PdfSaved(path);
            else
                emit PdfFailed(QStringLiteral("无法保存 PDF %1").arg(error));
        },
        layout);
}

} // namespace qinglan
