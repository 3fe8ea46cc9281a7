#pragma once

#include "config/Config.h"
#include "info/Form3.h"
#include "shell/Environment.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

class QWebEngineProfile;

namespace qinglan {

// The help and about commands: each shows its page, remote or built in, in the
// one information window, loaded afresh every time.
class InfoWindow final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InfoWindow)

public:
    InfoWindow(Config config, Environment environment, QIcon icon, QWebEngineProfile* profile,
               QObject* parent = nullptr);
    ~InfoWindow() override;

    void ShowHelp();
    void ShowAbout();

    // The information window shown now, if any.
    Form3* Current() const { return m_window; }

private:
    void Show(const QString& caption, int folderId, const QString& fileName,
              const QStringList& builtIn);

    const Config m_config;
    const Environment m_env;
    const QIcon m_icon;
    QWebEngineProfile* const m_profile;
    QPointer<Form3> m_window;
};

} // namespace qinglan
