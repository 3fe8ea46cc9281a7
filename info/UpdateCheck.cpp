#include "info/UpdateCheck.h"

#include "cloud/Files.h"
#include "cloud/NamedFile.h"
#include "info/Versions.h"
#include "shell/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qinglan {

namespace {

const QString UpdateFailedTitle = QStringLiteral("更新失败");
const QString UpdateTitle = QStringLiteral("更新提示");

void ShowUpdateFailed(QWidget* window) {
    ShowMessage(window, QStringLiteral("获取更新信息失败，请检测网络连接。"),
                BoxStyle::OkInformation, UpdateFailedTitle);
}

// The update could be had but not saved: the folder is named, not the network.
void ShowSaveFailed(QWidget* window, const QString& path, int error) {
    ShowMessage(window,
                QStringLiteral("无法将最新版保存至“%1”：%2")
                    .arg(QDir::toNativeSeparators(path), SystemErrorText(error)),
                BoxStyle::OkInformation, UpdateFailedTitle);
}

} // namespace

UpdateCheckEnd RunUpdateCheck(const Config& config, const Environment& environment,
                              const QString& currentVersion, bool silent, QWidget* window) {
    const QString text =
        GetNamedText(config.itemsBaseUrl, config.updateFolderId, QStringLiteral("最新版本.txt"),
                     environment.NamedFileBuffer());
    const VersionFile version = ParseVersionFile(text);
    // A version that would name a file outside the program's folder is no usable update.
    if (text.isEmpty() || !IsPlainVersion(version.latest)) {
        ShowUpdateFailed(window);
        return UpdateCheckEnd::Failed;
    }

    if (!VersionBefore(currentVersion, version.latest)) {
        if (!silent)
            ShowMessage(window, QStringLiteral("已经是最新版"), BoxStyle::Ok, UpdateTitle);
        return UpdateCheckEnd::UpToDate;
    }

    const bool yes =
        ShowMessage(window, UpdatePrompt(currentVersion, version.latest, version.notes),
                    BoxStyle::YesNoQuestion, UpdateTitle);
    if (!yes)
        return UpdateCheckEnd::Declined;

    const QString name = ExecutableName(version.latest);
    const QString folder = environment.UpdateDir();
    const QString savePath = folder + u'/' + name;
    if (!QFileInfo::exists(savePath)) {
        if (const int error = MakeFolders(folder); error != 0) {
            ShowSaveFailed(window, folder, error);
            return UpdateCheckEnd::Failed;
        }
        const NamedDownload download =
            DownloadNamedFile(config.itemsBaseUrl, config.updateFolderId, name, savePath);
        if (download.listed && download.download.result == DownloadResult::FileFailed) {
            ShowSaveFailed(window, savePath, download.download.fileError);
            return UpdateCheckEnd::Failed;
        }
        if (!download.ok() || download.text.isEmpty()) {
            // An empty download is no executable; left in place it would count as
            // the saved update next time.
            QFile::remove(savePath);
            ShowUpdateFailed(window);
            return UpdateCheckEnd::Failed;
        }
        QFile::setPermissions(savePath, QFile::permissions(savePath) | QFileDevice::ExeOwner |
                                            QFileDevice::ExeUser | QFileDevice::ExeGroup |
                                            QFileDevice::ExeOther);
    }
    ShowMessage(window,
                QStringLiteral("更新成功！\r\n最新版被保存至") +
                    QDir::toNativeSeparators(savePath) +
                    QStringLiteral("请退出当前版并删除再运行最新版。"),
                BoxStyle::Ok, UpdateTitle);
    return UpdateCheckEnd::Saved;
}

} // namespace qinglan
