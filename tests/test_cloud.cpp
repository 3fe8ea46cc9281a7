// HTTP fetch and download, named file fetch and the qinglan-cloud tool, against
// a served store, a scripted server and nginx.
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "cloud/NamedFile.h"
#include "cloud/Signature.h"
#include "shell/WindowFetch.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>

using namespace qinglan;

namespace {

TransferLimits TestLimits() {
    TransferLimits limits;
    limits.connect = std::chrono::milliseconds(2000);
    limits.stall = std::chrono::seconds(2);
    return limits;
}

QByteArray Binary() {
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(static_cast<char>((i * 7919) & 0xFF));
    return bytes;
}

TestLibrary SampleLibrary() {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("data"),
         101,
         {{QStringLiteral("0001甘草.html"), QByteArray("<h2>甘草</h2><p>补脾益气</p>")},
          {QStringLiteral("0002A&B.html"), QByteArray("<p>amp</p>")},
          {QStringLiteral("0003a - b.html"), QByteArray("<p>sep</p>")}}},
        {QStringLiteral("pictures"),
         102,
         {{QStringLiteral("甘草.jpg"), Binary()},
          {QStringLiteral("甘草.JPG"), QByteArray("upper")}}},
        {QStringLiteral("home"),
         103,
         {{QStringLiteral("主页.html"), QByteArray("<body>首页</body>")}}},
        {QStringLiteral("empty"), 104, {}},
    };
    return library;
}

// nginx in its own prefix with these server blocks ("server { ... }"), started.
bool StartNginx(QProcess& process, const QString& prefix, const QByteArray& servers) {
    const QString nginx = QStandardPaths::findExecutable(
        QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (nginx.isEmpty())
        return false; // the Makefile installs it
    const QByteArray dir = prefix.toUtf8();
    const QByteArray conf = "daemon off;\nuser root;\nworker_processes 1;\npid " + dir +
                            "/nginx.pid;\nerror_log " + dir +
                            "/error.log;\nevents { worker_connections 64; }\n"
                            "http {\n access_log off;\n default_type application/octet-stream;\n"
                            " client_body_temp_path " +
                            dir + "/body;\n proxy_temp_path " + dir +
                            "/proxy;\n fastcgi_temp_path " + dir + "/fcgi;\n" + servers + "}\n";
    if (!WriteFile(prefix + QStringLiteral("/nginx.conf"), conf))
        return false;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(nginx, {QStringLiteral("-p"), prefix, QStringLiteral("-c"),
                          prefix + QStringLiteral("/nginx.conf")});
    return process.waitForStarted();
}

// Reads the sample store through base: a listing, a picture byte for byte, a
// named page.
void ReadTheStoreThrough(const QString& base, const QString& scratch) {
    QTRY_VERIFY_WITH_TIMEOUT(HttpGetText(base + QStringLiteral("102")).has_value(), 10000);
    const QString listing = *HttpGetText(base + QStringLiteral("102"));
    QCOMPARE(ListItems(listing).size(), 2);
    const QString target = scratch + QStringLiteral(".jpg");
    QVERIFY(DownloadToFileNow(
                ItemUrlInListing(base + QStringLiteral("102"), listing, QStringLiteral("甘草.jpg")),
                target)
                .ok());
    QCOMPARE(ReadAll(target), Binary());
    QCOMPARE(GetNamedTextNow(base, 103, QStringLiteral("主页.html"),
                             scratch + QStringLiteral(".buffer")),
             QStringLiteral("<body>首页</body>"));
}

} // namespace

class TestCloud final : public QObject {
    Q_OBJECT

    CloudServer m_cloud;
    QTemporaryDir m_tmp;

    QString Folder(int number) const { return m_cloud.ItemsBaseUrl() + QString::number(number); }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(m_cloud.Publish(SampleLibrary(), &error), qPrintable(error));
        QVERIFY(m_cloud.Start());
        SetTransferLimits(TestLimits());
    }

    void publishedListingsReadBack() {
        const auto text = HttpGetText(Folder(101));
        QVERIFY(text);
        const QList<RemoteItem> items = ListItems(*text);
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0].RelationshipName, QStringLiteral("0001甘草.html"));
        QCOMPARE(items[0].ItemType, QStringLiteral("Document"));
        // "&" stands as a character reference and is not found under its plain form.
        QCOMPARE(items[1].RelationshipName, QStringLiteral("0002A&amp;B.html"));
        QCOMPARE(items[2].RelationshipName, QStringLiteral("0003a - b.html"));
        for (const RemoteItem& item : items)
            QVERIFY(item.ResourceID.toLongLong() > 32767);
        QCOMPARE(ListItems(*HttpGetText(Folder(102))).value(0).ItemType, QStringLiteral("Photo"));
        // An empty folder has a listing without items.
        const auto empty = HttpGetText(Folder(104));
        QVERIFY(empty && empty->contains(QStringLiteral("<Items>")));
        QVERIFY(ListItems(*empty).isEmpty());
    }

    void itemUrlAndByteForByteDownload() {
        const QString jpg = GetItemUrl(Folder(102), QStringLiteral("甘草.jpg"));
        const QString JPG = GetItemUrl(Folder(102), QStringLiteral("甘草.JPG"));
        QVERIFY(jpg.startsWith(m_cloud.ItemsBaseUrl()));
        QVERIFY(jpg != JPG);
        QCOMPARE(GetItemUrl(Folder(102), QStringLiteral("黄芪.jpg")), QString());
        QCOMPARE(GetItemUrl(QStringLiteral("http://127.0.0.1:%1/items/X!1").arg(UnusedPort()),
                            QStringLiteral("甘草.jpg")),
                 QString());

        const QString target = m_tmp.filePath(QStringLiteral("图.jpg"));
        QVERIFY(DownloadToFileNow(jpg, target).ok());
        QCOMPARE(ReadAll(target), Binary());
        // Text files are stored in GBK.
        const QString entry = GetItemUrl(Folder(101), QStringLiteral("0001甘草.html"));
        QVERIFY(DownloadToFileNow(entry, m_tmp.filePath(QStringLiteral("e.html"))).ok());
        QCOMPARE(ReadAll(m_tmp.filePath(QStringLiteral("e.html"))),
                 ToGbk(QStringLiteral("<h2>甘草</h2><p>补脾益气</p>")));
    }

    void getReturnsErrorBodiesAsText() {
        const auto text = HttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("999"));
        QVERIFY(text);
        QVERIFY(text->contains(QStringLiteral("404 Not Found")));
        QVERIFY(ListItems(*text).isEmpty());
        QVERIFY(!HttpGetText(QStringLiteral("http://127.0.0.1:%1/").arg(UnusedPort())));
        QCOMPARE(TryHttpGetText(QStringLiteral("http://127.0.0.1:%1/").arg(UnusedPort())),
                 QString());
    }

    void getDecodesTheDeclaredCharset() {
        RawHttpServer server([](const std::string&) {
            return RawHttpServer::Reply{
                RawHttpServer::Response("200 OK", ToGbk(QStringLiteral("黄芪")).toStdString(),
                                        "Content-Type: text/plain; charset=GBK\r\n")};
        });
        QCOMPARE(HttpGetText(server.Url(QStringLiteral("/x"))).value_or(QString()),
                 QStringLiteral("黄芪"));
    }

    void successiveGetsSeeTheCurrentListing() {
        const auto before = HttpGetText(Folder(103));
        TestLibrary changed = SampleLibrary();
        changed.folders[2].files.insert(QStringLiteral("新.html"), QByteArray("<p>new</p>"));
        QVERIFY(m_cloud.Publish(changed));
        const auto after = HttpGetText(Folder(103));
        QVERIFY(before && after);
        QVERIFY(!FindListedItem(*before, QStringLiteral("新.html")));
        QVERIFY(FindListedItem(*after, QStringLiteral("新.html")));
        // Numbers of files already published stay the same.
        QCOMPARE(FindListedItem(*after, QStringLiteral("主页.html"))->ResourceID,
                 FindListedItem(*before, QStringLiteral("主页.html"))->ResourceID);
        QVERIFY(m_cloud.Publish(SampleLibrary()));
    }

    void failedDownloadsLeaveNoFileAndKeepTheOldOne() {
        const QString body(QStringLiteral("complete body"));
        RawHttpServer server([](const std::string& head) {
            if (head.find("/cut") != std::string::npos)
                return RawHttpServer::Reply{
                    "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly part"};
            if (head.find("/error") != std::string::npos)
                return RawHttpServer::Reply{
                    RawHttpServer::Response("500 Internal Server Error", "oops")};
            if (head.find("/hang") != std::string::npos)
                return RawHttpServer::Reply{{}, true};
            return RawHttpServer::Reply{RawHttpServer::Response("404 Not Found", "<h1>404</h1>")};
        });
        const QStringList urls = {
            server.Url(QStringLiteral("/missing")), server.Url(QStringLiteral("/cut")),
            server.Url(QStringLiteral("/error")), server.Url(QStringLiteral("/hang")),
            QStringLiteral("http://127.0.0.1:%1/x").arg(UnusedPort())};
        for (const QString& url : urls) {
            const QString fresh = m_tmp.filePath(QStringLiteral("fresh.bin"));
            QVERIFY(!DownloadToFileNow(url, fresh).ok());
            QVERIFY2(!QFileInfo::exists(fresh), qPrintable(url));

            const QString existing = m_tmp.filePath(QStringLiteral("existing.bin"));
            QVERIFY(WriteFile(existing, "old content"));
            QVERIFY(!DownloadToFileNow(url, existing).ok());
            QCOMPARE(ReadAll(existing), QByteArray("old content"));
        }
        // No temporary files are left behind either.
        QCOMPARE(QDir(m_tmp.path())
                     .entryList(QDir::Files | QDir::Hidden)
                     .filter(QStringLiteral(".part")),
                 QStringList());
    }

    void aServerThatNeverAnswersIsGivenUp() {
        RawHttpServer server([](const std::string&) { return RawHttpServer::Reply{{}, true}; });
        QVERIFY(!HttpGetText(server.Url(QStringLiteral("/"))));
    }

    void aTrickleAnEndlessBodyAndASlowDownloadAreGivenUp() {
        TransferLimits limits = TestLimits();
        limits.listing.total = std::chrono::seconds(2);
        limits.listing.maxBytes = 4096;
        limits.stall = std::chrono::seconds(2);
        SetTransferLimits(limits);
        const std::string slowBody(2000, 'x');
        RawHttpServer server([&](const std::string& head) {
            RawHttpServer::Reply reply{RawHttpServer::Response("200 OK", slowBody)};
            if (head.find("/large") != std::string::npos)
                return RawHttpServer::Reply{
                    RawHttpServer::Response("200 OK", std::string(5000, 'y'))};
            if (head.find("/chunked") != std::string::npos)
                return RawHttpServer::Reply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                            "1388\r\n" +
                                            std::string(5000, 'z') + "\r\n0\r\n\r\n"};
            // About 200 bytes a second: over a second a byte, under a kilobyte.
            reply.trickleMs = 100;
            reply.trickleBytes = 20;
            return reply;
        });
        // A text fetch is given up at its overall limit, though bytes keep coming.
        QVERIFY(!HttpGetText(server.Url(QStringLiteral("/trickle"))));
        // A body beyond the size limit, announced or not, fails as a whole.
        QVERIFY(!HttpGetText(server.Url(QStringLiteral("/large"))));
        QVERIFY(!HttpGetText(server.Url(QStringLiteral("/chunked"))));
        // A download slower than a kilobyte a second fails and leaves nothing.
        const QString target = m_tmp.filePath(QStringLiteral("slow.bin"));
        const DownloadOutcome slow =
            DownloadToFileNow(server.Url(QStringLiteral("/trickle")), target);
        QCOMPARE(slow.result, DownloadResult::TransferFailed);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(QDir(m_tmp.path()).entryList({QStringLiteral("slow.bin*")}, QDir::Files),
                 QStringList());
        SetTransferLimits(TestLimits());
    }

    void namedText() {
        const QString buffer = m_tmp.filePath(QStringLiteral("qnln2.html"));
        QFile::remove(buffer);
        const QString base = m_cloud.ItemsBaseUrl();
        QCOMPARE(GetNamedTextNow(base, 103, QStringLiteral("主页.html"), buffer),
                 QStringLiteral("<body>首页</body>"));
        QCOMPARE(ReadAll(buffer), ToGbk(QStringLiteral("<body>首页</body>")));
        // Not listed, or listed under another case: empty, and the buffer is untouched.
        QCOMPARE(GetNamedTextNow(base, 103, QStringLiteral("帮助.html"), buffer), QString());
        QCOMPARE(GetNamedTextNow(base, 103, QStringLiteral("主页.HTML"), buffer), QString());
        QCOMPARE(ReadAll(buffer), ToGbk(QStringLiteral("<body>首页</body>")));
        // Without a network: empty, buffer untouched.
        const QString offline =
            QStringLiteral("http://127.0.0.1:%1/items/TESTOWNER!").arg(UnusedPort());
        QCOMPARE(GetNamedTextNow(offline, 103, QStringLiteral("主页.html"), buffer), QString());
        QCOMPARE(ReadAll(buffer), ToGbk(QStringLiteral("<body>首页</body>")));

        // DownloadNamedFile leaves the file at the path, replacing one there.
        const QString saved = m_tmp.filePath(QStringLiteral("saved.jpg"));
        QVERIFY(WriteFile(saved, "older"));
        QVERIFY(DownloadNamedFileNow(base, 102, QStringLiteral("甘草.jpg"), saved).ok());
        QCOMPARE(ReadAll(saved), Binary());
        QVERIFY(!DownloadNamedFileNow(base, 102, QStringLiteral("none.jpg"),
                                      m_tmp.filePath(QStringLiteral("n")))
                     .listed);
        QVERIFY(!QFileInfo::exists(m_tmp.filePath(QStringLiteral("n"))));
    }

    void namedTextWhoseDownloadFailsGivesNothingOld() {
        // A listing that names the file, whose item then fails.
        RawHttpServer server([](const std::string& head) {
            if (head.find("!5 ") != std::string::npos)
                return RawHttpServer::Reply{RawHttpServer::Response(
                    "200 OK", "<Items><Item><ItemType>Document</ItemType>\r\n      "
                              "<ResourceID>O!6</ResourceID>\r\n      "
                              "<RelationshipName>a.txt</RelationshipName></Item>")};
            return RawHttpServer::Reply{RawHttpServer::Response("500 Internal Server Error", "no")};
        });
        const QString buffer = m_tmp.filePath(QStringLiteral("buffer2"));
        QVERIFY(WriteFile(buffer, "old"));
        QCOMPARE(GetNamedTextNow(server.Url(QStringLiteral("/items/O!")), 5,
                                 QStringLiteral("a.txt"), buffer),
                 QString());
        QCOMPARE(server.requests(), 2);
    }

    void aListingFetchThatFailsOrGetsNoListingReportsAndClosesTheWindow() {
        QWidget window;
        MessageBoxAnswerer answerer;
        RawHttpServer errors([](const std::string& head) {
            if (head.find("/missing") != std::string::npos)
                return RawHttpServer::Reply{
                    RawHttpServer::Response("404 Not Found", "<html>not here</html>")};
            if (head.find("/empty") != std::string::npos)
                return RawHttpServer::Reply{RawHttpServer::Response("200 OK", "")};
            return RawHttpServer::Reply{
                RawHttpServer::Response("500 Internal Server Error", "<Items></Items>")};
        });
        const QString failing[] = {
            QStringLiteral("http://127.0.0.1:%1/").arg(UnusedPort()), // no server
            errors.Url(QStringLiteral("/missing")),                   // an error page
            errors.Url(QStringLiteral("/empty")),                     // 200 without a listing
            errors.Url(QStringLiteral("/broken")),                    // a listing with status 500
        };
        int boxes = 0;
        for (const QString& url : failing) {
            window.show();
            std::optional<QString> result;
            FetchListingOrClose(&window, url, [&](const QString& listing) { result = listing; });
            QVERIFY(!result); // nothing waits: the answer comes later
            QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
            QCOMPARE(*result, QString());
            QCOMPARE(answerer.seen().size(), ++boxes);
            QCOMPARE(answerer.seen().last().text, QStringLiteral("获取信息失败，请检测网络连接"));
            QCOMPARE(answerer.seen().last().title, QStringLiteral("Qinglan"));
            QCOMPARE(answerer.seen().last().icon, QMessageBox::NoIcon);
            QCOMPARE(answerer.seen().last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QVERIFY(!window.isVisible());
        }
        // A listing, also one that lists nothing: the text, no box, the window stays.
        for (int folder : {103, 104}) {
            window.show();
            std::optional<QString> result;
            FetchListingOrClose(&window, Folder(folder),
                                [&](const QString& listing) { result = listing; });
            QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
            QVERIFY(result->contains(QStringLiteral("<Items>")));
            QCOMPARE(answerer.seen().size(), boxes);
            QVERIFY(window.isVisible());
        }
    }

    void signaturesRoundTripAndRefuseEveryForgery() {
        const auto key = GenerateSigningKey();
        const auto other = GenerateSigningKey();
        QVERIFY(key && other);
        QCOMPARE(PublicKeyOf(key->privatePem), key->publicKey);
        const QByteArray exe = Binary();
        const QString name = QStringLiteral("Qinglan2.0.0.9");
        const QByteArray signature = SignFile(key->privatePem, name, exe);
        QCOMPARE(signature.size(), 64);
        QVERIFY(VerifyFile(key->publicKey, name, exe, signature));
        QByteArray flipped = exe;
        flipped[100] = char(flipped[100] ^ 1);
        QVERIFY(!VerifyFile(key->publicKey, name, flipped, signature)); // a changed byte
        QVERIFY(!VerifyFile(key->publicKey, QStringLiteral("Qinglan2.0.1.0"), exe,
                            signature)); // another version
        QVERIFY(!VerifyFile(key->publicKey, name, exe,
                            SignFile(key->privatePem, name, Binary().left(10)))); // another file
        QVERIFY(!VerifyFile(key->publicKey, name, exe, QByteArray("not a signature")));
        QVERIFY(!VerifyFile(key->publicKey, name, exe, QByteArray()));
        QVERIFY(!VerifyFile(other->publicKey, name, exe, signature)); // another publisher
        QVERIFY(!VerifyFile(QStringLiteral("not base64 at all!"), name, exe, signature));
        QVERIFY(SignFile(QByteArray("not a key"), name, exe).isEmpty());
    }

    void keygenWritesAPrivateKeyAndSignedPublishesVerify() {
        QTemporaryDir dir;
        const QString keyFile = dir.filePath(QStringLiteral("update.key"));
        QProcess tool;
        tool.start(CloudToolPath(), {QStringLiteral("keygen"), keyFile});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QString publicKey = QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
        QCOMPARE(QByteArray::fromBase64(publicKey.toLatin1()).size(), 32);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(keyFile).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0600); // readable by its owner only
        QCOMPARE(PublicKeyOf(ReadAll(keyFile)), publicKey);
        // An existing key is never replaced.
        const QByteArray before = ReadAll(keyFile);
        tool.start(CloudToolPath(), {QStringLiteral("keygen"), keyFile});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(ReadAll(keyFile), before);

        TestLibrary library;
        library.folders = {
            {QStringLiteral("update"),
             7,
             {{QStringLiteral("Qinglan2.0.0.9"), Binary()},
              {QStringLiteral("最新版本.txt"), QByteArray("最新版本：2.0.0.9\r\n更新内容：无")}}}};
        CloudServer cloud;
        QString error;
        QVERIFY2(cloud.Publish(library, &error, keyFile), qPrintable(error));
        QVERIFY(cloud.Start());
        const QString folder = cloud.ItemsBaseUrl() + QStringLiteral("7");
        const QString listing = TryHttpGetText(folder);
        QCOMPARE(ListItems(listing).size(), 4);
        for (const QString& name :
             {QStringLiteral("Qinglan2.0.0.9"), QStringLiteral("最新版本.txt")}) {
            const QString file = dir.filePath(name),
                          sig = dir.filePath(name + QStringLiteral(".sig"));
            QVERIFY(DownloadToFileNow(ItemUrlInListing(folder, listing, name), file).ok());
            QVERIFY(DownloadToFileNow(
                        ItemUrlInListing(folder, listing, name + QStringLiteral(".sig")), sig)
                        .ok());
            QVERIFY2(VerifyFile(publicKey, name, ReadAll(file), ReadAll(sig)), qPrintable(name));
        }
    }

    void httpsWithATestAuthority() {
        const QString nginx =
            QStandardPaths::findExecutable(QStringLiteral("nginx"), {QStringLiteral("/usr/sbin")});
        QVERIFY2(!nginx.isEmpty(), "nginx is installed by the Makefile");
        QTemporaryDir dir;
        const auto openssl = [&](const QStringList& args) {
            QProcess process;
            process.setWorkingDirectory(dir.path());
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(QStringLiteral("openssl"), args);
            return process.waitForFinished(60000) && process.exitCode() == 0;
        };
        // A test authority, a certificate for localhost and one for another host.
        QVERIFY(
            openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("ed25519"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                     QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.pem"),
                     QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                     QStringLiteral("/CN=Qinglan Test CA")}));
        for (const QString& host : {QStringLiteral("localhost"), QStringLiteral("wrong.example")}) {
            QVERIFY(openssl({QStringLiteral("req"), QStringLiteral("-newkey"),
                             QStringLiteral("ed25519"), QStringLiteral("-nodes"),
                             QStringLiteral("-keyout"), host + QStringLiteral(".key"),
                             QStringLiteral("-out"), host + QStringLiteral(".csr"),
                             QStringLiteral("-subj"), QStringLiteral("/CN=") + host}));
            QVERIFY(WriteFile(dir.filePath(host + QStringLiteral(".ext")),
                              "subjectAltName=DNS:" + host.toUtf8() + "\n"));
            QVERIFY(openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                             host + QStringLiteral(".csr"), QStringLiteral("-CA"),
                             QStringLiteral("ca.pem"), QStringLiteral("-CAkey"),
                             QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                             QStringLiteral("-out"), host + QStringLiteral(".pem"),
                             QStringLiteral("-days"), QStringLiteral("2"),
                             QStringLiteral("-extfile"), host + QStringLiteral(".ext")}));
        }
        const int good = UnusedPort();
        const int wrong = UnusedPort();
        const auto server = [&](int port, const QString& host) {
            return " server {\n  listen 127.0.0.1:" + QByteArray::number(port) +
                   " ssl;\n  ssl_certificate " +
                   dir.filePath(host + QStringLiteral(".pem")).toUtf8() +
                   ";\n  ssl_certificate_key " +
                   dir.filePath(host + QStringLiteral(".key")).toUtf8() + ";\n  root " +
                   m_cloud.storePath().toUtf8() +
                   ";\n  location /items/ { }\n"
                   "  location = /to-plain { return 302 " +
                   (m_cloud.ItemsBaseUrl() + QStringLiteral("102")).toUtf8() +
                   "; }\n  location = /to-secure { return 302 /items/TESTOWNER!102; }\n }\n";
        };
        QProcess nginxProcess;
        QVERIFY(StartNginx(nginxProcess, dir.path(),
                           server(good, QStringLiteral("localhost")) +
                               server(wrong, QStringLiteral("wrong.example"))));
        Transfers::SetExtraCertificateAuthorities(dir.filePath(QStringLiteral("ca.pem")));
        const QString base = QStringLiteral("https://localhost:%1/items/TESTOWNER!").arg(good);
        ReadTheStoreThrough(base, m_tmp.filePath(QStringLiteral("tls")));
        if (QTest::currentTestFailed())
            return;
        // An https cloud is followed to https only: a redirect to plain http, where
        // the answer could be read and changed on the way, fails, and leaves no file.
        const QString secure = QStringLiteral("https://localhost:%1").arg(good);
        QVERIFY(HttpGetText(secure + QStringLiteral("/to-secure"))
                    .value_or(QString())
                    .contains(QStringLiteral("<Items>")));
        QVERIFY(HttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("102")).has_value());
        QVERIFY(!HttpGetText(secure + QStringLiteral("/to-plain")));
        const QString target = m_tmp.filePath(QStringLiteral("redirected"));
        QCOMPARE(DownloadToFileNow(secure + QStringLiteral("/to-plain"), target).result,
                 DownloadResult::TransferFailed);
        QVERIFY(!QFileInfo::exists(target));
        // A certificate for another host is refused, as is one no trusted authority signed.
        QVERIFY(
            !HttpGetText(QStringLiteral("https://localhost:%1/items/TESTOWNER!102").arg(wrong)));
        Transfers::SetExtraCertificateAuthorities({});
        QVERIFY(!HttpGetText(base + QStringLiteral("102")));
        nginxProcess.terminate();
        QVERIFY(nginxProcess.waitForFinished(10000));
    }

    void publishRejectsBadText() {
        const QStringList bad = {QStringLiteral("bad-utf8"), QStringLiteral("not-gbk")};
        for (const QString& kind : bad) {
            TestLibrary library;
            library.folders = {{QStringLiteral("data"),
                                1,
                                {{QStringLiteral("0001x.html"),
                                  kind == u"bad-utf8" ? QByteArray("\xff\xfe abc")
                                                      : QStringLiteral("😀").toUtf8()}}}};
            QTemporaryDir dir;
            QVERIFY(library.WriteTo(dir.filePath(QStringLiteral("src"))));
            QString output;
            QCOMPARE(RunPublish(dir.filePath(QStringLiteral("src")),
                                dir.filePath(QStringLiteral("store")), &output),
                     1);
            QVERIFY2(output.contains(QStringLiteral("0001x.html")), qPrintable(output));
        }
        // Folder numbers must fit in 16 bits.
        TestLibrary library;
        library.folders = {{QStringLiteral("data"), 40000, {}}};
        QTemporaryDir dir;
        QVERIFY(library.WriteTo(dir.filePath(QStringLiteral("src"))));
        QCOMPARE(
            RunPublish(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("store"))),
            1);
    }

    void serveStaysInsideTheStoreAndAnswersGetOnly() {
        QVERIFY(WriteFile(m_cloud.storePath() + QStringLiteral("/secret.txt"), "secret"));
        const QString root = QStringLiteral("http://127.0.0.1:%1").arg(m_cloud.port());
        for (const QString& path :
             {QStringLiteral("/items/..%2Fsecret.txt"), QStringLiteral("/items/%2e%2e"),
              QStringLiteral("/secret.txt"), QStringLiteral("/items/../secret.txt"),
              QStringLiteral("/ids.txt")}) {
            const auto text = HttpGetText(root + path);
            QVERIFY(!text || !text->contains(QStringLiteral("secret")));
        }
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                    QStringLiteral("-w"), QStringLiteral("%{http_code}"), QStringLiteral("-X"),
                    QStringLiteral("DELETE"), Folder(103)});
        QVERIFY(curl.waitForFinished(10000));
        QCOMPARE(curl.readAll(), QByteArray("405"));
        QVERIFY(ListItems(TryHttpGetText(Folder(103))).size() == 1);
    }

    void aStoreServedByNginx() {
        QTemporaryDir prefix;
        const int port = UnusedPort();
        QProcess server;
        QVERIFY(StartNginx(server, prefix.path(),
                           " server {\n  listen 127.0.0.1:" + QByteArray::number(port) +
                               ";\n  root " + m_cloud.storePath().toUtf8() +
                               ";\n  location /items/ { }\n  location / { return 404; }\n }\n"));
        ReadTheStoreThrough(QStringLiteral("http://127.0.0.1:%1/items/TESTOWNER!").arg(port),
                            m_tmp.filePath(QStringLiteral("nginx")));
        server.terminate();
        QVERIFY(server.waitForFinished(10000));
    }
};

QINGLAN_TEST_MAIN(TestCloud)
#include "test_cloud.moc"
