#include "tests/support/Sandbox.h"

#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "shell/HtmlView.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QWebEngineProfile>

QString Sandbox::Data(const QString& name) const {
    const QString data = Env().DataPath();
    return name.isEmpty() ? data : data + u'/' + name;
}

QString Sandbox::IndexFile() const { return qinglan::IndexPath(Data()); }

QString Sandbox::Page() const { return qinglan::FromGbk(ReadAll(ResultPageFile())); }

bool Sandbox::WriteIndex(const QString& indexText) const {
    return WriteIndexBytes(qinglan::ToGbk(indexText));
}

bool Sandbox::WriteIndexBytes(const QByteArray& bytes) const {
    return QDir().mkpath(Data()) && WriteFile(IndexFile(), bytes);
}

qinglan::Config TestConfig(const QString& itemsBaseUrl) {
    qinglan::Config config = qinglan::Config::Compiled();
    config.itemsBaseUrl = itemsBaseUrl;
    // A build that `make run` configured has an update key; tests choose their own.
    config.updatePublicKey.clear();
    return config;
}

QString OfflineItemsUrl() {
    return QStringLiteral("http://127.0.0.1:%1/items/TESTOWNER!").arg(UnusedPort());
}

QString IndexTextOf(const QString& listingText) {
    return qinglan::EntryIndexText(qinglan::ListItems(listingText));
}

QWebEngineProfile* TestProfile() {
    return qinglan::ConfigureProgramProfile(QWebEngineProfile::defaultProfile());
}
