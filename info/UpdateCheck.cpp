#include "UpdateCheck.h"

#include "MessageBoxes.h"
#include "NamedFile.h"
#include "Versions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>


namespace qinglan {

namespace {

void ShowUpdateFailed(QWidget* parent) {
    ShowMessage(parent, QStringLiteral("获取更新信息失败，请检测网络连接。"),
                BoxStyle::OkInformation, QStringLiteral("更新失败"));
}

} // namespace

void UpdateCheck::Run() const {
    startupTimer->stop();

    const QString text = GetNamedText(config.itemsBaseUrl, config.updateFolderId,
                                      QStringLiteral("最新版本.txt"), environment.NamedFileBuffer());
    const VersionFile version = ParseVersionFile(text);
    // A version that would name a file outside the program's folder is no usable update.
    if (text.isEmpty() || !IsPlainVersion(version.latest)) {
        ShowUpdateFailed(window);
        return;
    }

    const QString current = window->windowTitle().right(7);
    if (!VersionBefore(current, version.latest)) {
        if (*silentFlag != u"1")
            ShowMessage(window, QStringLiteral("已经是最新版"), BoxStyle::Ok, QStringLiteral("更新提示"));
        silentFlag->clear();
        return;
    }

    const bool yes = ShowMessage(window, UpdatePrompt(current, version.latest, version.notes),
                                 BoxStyle::YesNoQuestion, QStringLiteral("更新提示"));
    if (!yes)
        return;

    const QString name = ExecutableName(version.latest);
    const QString savePath = environment.UpdateDir() + u'/' + name;
    if (!QFileInfo::exists(savePath)) {
        const QString content =
            DownloadNamedFile(config.itemsBaseUrl, config.updateFolderId, name, savePath);
        if (content.isEmpty()) {
            // An empty download is no executable; left in place it would count as
            // the saved update next time.
            QFile::remove(savePath);
            ShowUpdateFailed(window);
            return;
        }
        QFile::setPermissions(savePath, QFile::permissions(savePath) | QFileDevice::ExeOwner |
                                            QFileDevice::ExeUser | QFileDevice::ExeGroup |
                                            QFileDevice::ExeOther);
    }
    ShowMessage(window,
                QStringLiteral("更新成功！\r\n最新版被保存至") + QDir::toNativeSeparators(savePath) +
                    QStringLiteral("请退出当前版并删除再运行最新版。"),
                BoxStyle::Ok, QStringLiteral("更新提示"));
    terminate();
}

} // namespace qinglan
