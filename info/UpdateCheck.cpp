#include "info/UpdateCheck.h"

#include "cloud/Files.h"
#include "cloud/NamedFile.h"
#include "cloud/Signature.h"
#include "info/Log.h"
#include "info/Versions.h"
#include "shell/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>

namespace qinglan {

namespace {

const QString UpdateFailedTitle = QStringLiteral("更新失败");
const QString UpdateTitle = QStringLiteral("更新提示");

} // namespace

UpdateCheck::UpdateCheck(Config config, Environment environment, QString currentVersion,
                         bool silent, QWidget* window, QSet<QString>* rejected, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_env(std::move(environment)),
      m_current(std::move(currentVersion)), m_silent(silent), m_window(window),
      m_rejected(rejected) {}

void UpdateCheck::Start() {
    FetchNamedText(m_config.itemsBaseUrl, m_config.updateFolderId, QStringLiteral("最新版本.txt"),
                   m_env.NamedFileBuffer(), this,
                   [this](const QString& text) { OnVersionFile(text); });
}

void UpdateCheck::ShowUpdateFailed() {
    ShowMessage(m_window, QStringLiteral("获取更新信息失败，请检测网络连接。"),
                BoxStyle::OkInformation, UpdateFailedTitle);
}

void UpdateCheck::End(UpdateCheckEnd end) { emit Finished(end); }

void UpdateCheck::OnVersionFile(const QString& text) {
    const VersionFile version = ParseVersionFile(text);
    // A version that would name a file outside the program's folder is no usable update.
    if (text.isEmpty() || !IsPlainVersion(version.latest)) {
        ShowUpdateFailed();
        return End(UpdateCheckEnd::Failed);
    }
    if (!VersionBefore(m_current, version.latest)) {
        if (!m_silent)
            ShowMessage(m_window, QStringLiteral("已经是最新版"), BoxStyle::Ok, UpdateTitle);
        return End(UpdateCheckEnd::UpToDate);
    }
    // A version whose download failed its signature check is not offered again
    // in this run.
    if (m_rejected && m_rejected->contains(version.latest)) {
        if (!m_silent)
            ShowUpdateFailed();
        return End(UpdateCheckEnd::Failed);
    }
    const bool yes = ShowMessage(m_window, UpdatePrompt(m_current, version.latest, version.notes),
                                 BoxStyle::YesNoQuestion, UpdateTitle);
    if (!yes)
        return End(UpdateCheckEnd::Declined);

    m_latest = version.latest;
    m_name = ExecutableName(version.latest);
    const QString folder = m_env.UpdateDir();
    m_savePath = folder + u'/' + m_name;
    const bool verify = !m_config.updatePublicKey.isEmpty();
    if (!verify && QFileInfo::exists(m_savePath))
        return Save({}); // taken as the update, as it always was without a key
    if (const int error = MakeFolders(folder); error != 0) {
        ShowMessage(m_window,
                    QStringLiteral("无法将最新版保存至“%1”：%2")
                        .arg(QDir::toNativeSeparators(folder), SystemErrorText(error)),
                    BoxStyle::OkInformation, UpdateFailedTitle);
        return End(UpdateCheckEnd::Failed);
    }
    FetchNamedBytes(m_config.itemsBaseUrl, m_config.updateFolderId, m_name,
                    TransferKind::Executable, this,
                    [this](const NamedBytes& executable) { OnExecutable(executable); });
}

void UpdateCheck::OnExecutable(const NamedBytes& executable) {
    // An empty download is no executable.
    if (!executable.ok() || executable.reply.body.isEmpty()) {
        ShowUpdateFailed();
        return End(UpdateCheckEnd::Failed);
    }
    if (m_config.updatePublicKey.isEmpty())
        return Save(executable.reply.body);
    const QByteArray bytes = executable.reply.body;
    FetchNamedBytes(m_config.itemsBaseUrl, m_config.updateFolderId, m_name + QStringLiteral(".sig"),
                    TransferKind::Signature, this,
                    [this, bytes](const NamedBytes& signature) { OnSignature(bytes, signature); });
}

void UpdateCheck::OnSignature(const QByteArray& executable, const NamedBytes& signature) {
    const QByteArray signatureBytes = signature.ok() ? signature.reply.body : QByteArray();
    if (!VerifyFile(m_config.updatePublicKey, m_name, executable, signatureBytes)) {
        qCWarning(lcInfo) << m_name << "is refused: its signature is missing or not valid";
        if (m_rejected)
            m_rejected->insert(m_latest);
        ShowUpdateFailed();
        return End(UpdateCheckEnd::Failed);
    }
    Save(executable);
}

void UpdateCheck::Save(const QByteArray& executable) {
    if (!executable.isEmpty()) {
        // Exactly the bytes that were checked, written beside and renamed into
        // place, runnable, and on the disk before they get their name.
        const QString error = ReplaceFile(m_savePath, executable, Durability::Flushed, 0755);
        if (!error.isEmpty()) {
            ShowMessage(m_window, QStringLiteral("无法将最新版保存至%1").arg(error),
                        BoxStyle::OkInformation, UpdateFailedTitle);
            return End(UpdateCheckEnd::Failed);
        }
    }
    ShowMessage(m_window,
                QStringLiteral("更新成功！\r\n最新版被保存至") +
                    QDir::toNativeSeparators(m_savePath) +
                    QStringLiteral("请退出当前版并删除再运行最新版。"),
                BoxStyle::Ok, UpdateTitle);
    End(UpdateCheckEnd::Saved);
}

} // namespace qinglan
