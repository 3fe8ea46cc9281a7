#include "info/InfoWindow.h"

#include "cloud/NamedFile.h"
#include "info/Form3.h"
#include "info/InfoPages.h"
#include "info/Log.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"
#include "shell/Placement.h"

namespace qinglan {

InfoWindow::InfoWindow(Config config, Environment environment, QIcon icon,
                       QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_env(std::move(environment)),
      m_icon(std::move(icon)), m_profile(profile) {}

InfoWindow::~InfoWindow() { delete m_window; }

void InfoWindow::ShowHelp() {
    Show(QStringLiteral("帮助"), m_config.helpFolderId, QStringLiteral("帮助.html"),
         BuiltInHelpPage());
}

void InfoWindow::ShowAbout() {
    Show(QStringLiteral("关于"), m_config.aboutFolderId, QStringLiteral("关于.html"),
         BuiltInAboutPage(m_config));
}

void InfoWindow::Show(const QString& caption, int folderId, const QString& fileName,
                      const QStringList& builtIn) {
    delete m_window; // whatever it showed is discarded
    m_window = new Form3(m_icon, m_profile);
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    ShowCentred(m_window);
    m_window->setWindowTitle(caption);
    // The window is already open while its page is fetched; closed or replaced
    // meanwhile, it gets nothing.
    Form3* window = m_window;
    FetchNamedText(m_config.itemsBaseUrl, folderId, fileName, m_env.NamedFileBuffer(), window,
                   [window, fileName, builtIn](const QString& page) {
                       if (!page.isEmpty()) {
                           WritePage(*window->WebBrowser1, page);
                           return;
                       }
                       qCWarning(lcInfo)
                           << fileName << "could not be had; the built-in page is shown";
                       for (const QString& row : builtIn)
                           WritePage(*window->WebBrowser1, row);
                   });
}

} // namespace qinglan
