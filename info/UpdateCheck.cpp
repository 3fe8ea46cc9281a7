#include "info/UpdateCheck.h"

#include "cloud/Files.h"
#include "cloud/NamedFile.h"
#include "cloud/Signature.h"
#include "info/Log.h"
#include "info/Versions.h"
#include "shell/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

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

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

UpdateCheckEnd RunUpdateCheck(const Config& config, const Environment& environment,
                              const QString& currentVersion, bool silent, QWidget* window,
                              QSet<QString>* rejected) {
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

    // A version whose download failed its signature check is not offered again
    // in this run.
    if (rejected && rejected->contains(version.latest)) {
        if (!silent)
            ShowUpdateFailed(window);
        return UpdateCheckEnd::Failed;
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
        // With a key, the executable gets its name only once its signature holds;
        // until then it lies under another name that counts for nothing.
        const bool verify = !config.updatePublicKey.isEmpty();
        const QString target = verify ? savePath + QStringLiteral(".unverified") : savePath;
        const NamedDownload download =
            DownloadNamedFile(config.itemsBaseUrl, config.updateFolderId, name, target);
        if (download.listed && download.download.result == DownloadResult::FileFailed) {
            QFile::remove(target);
            ShowSaveFailed(window, savePath, download.download.fileError);
            return UpdateCheckEnd::Failed;
        }
        if (!download.ok() || QFileInfo(target).size() == 0) {
            // An empty download is no executable; left in place it would count as
            // the saved update next time.
            QFile::remove(target);
            ShowUpdateFailed(window);
            return UpdateCheckEnd::Failed;
        }
        if (verify) {
            const QString signaturePath = environment.tempDir + QStringLiteral("/qnln-update.sig");
            const NamedDownload signature =
                DownloadNamedFile(config.itemsBaseUrl, config.updateFolderId,
                                  name + QStringLiteral(".sig"), signaturePath);
            const QByteArray signatureBytes =
                signature.ok() ? ReadBytes(signaturePath) : QByteArray();
            QFile::remove(signaturePath);
            if (!VerifyFile(config.updatePublicKey, name, ReadBytes(target), signatureBytes)) {
                qCWarning(lcInfo) << name << "is refused: its signature is missing or not valid";
                QFile::remove(target);
                if (rejected)
                    rejected->insert(version.latest);
                ShowUpdateFailed(window);
                return UpdateCheckEnd::Failed;
            }
            if (std::rename(QFile::encodeName(target).constData(),
                            QFile::encodeName(savePath).constData()) != 0) {
                const int error = errno;
                QFile::remove(target);
                ShowSaveFailed(window, savePath, error);
                return UpdateCheckEnd::Failed;
            }
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
