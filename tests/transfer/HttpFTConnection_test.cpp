// The web file manager over real sockets on 127.0.0.1: folder pages, names that must stay
// text, uploads (own client, browsers, broken and hostile bodies), new folders, deletion,
// downloads, resources and the trace.

#include "support/RawHttp.h"
#include "support/TestEnvironment.h"

#include "transfer/HTTPServer.h"
#include "transfer/HttpFTConnection.h"
#include "transfer/HttpFTPages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QByteArray kOwnClientBody = "--0xVelkorQuintar\r\n"
                                  "Content-Disposition: form-data; name=\"currentpath\";\r\n\r\n"
                                  "./\r\n"
                                  "--0xVelkorQuintar\r\n"
                                  "Content-Disposition: form-data; name=\"file\"; filename=\"a.vcf\"\r\n\r\n"
                                  "abc"
                                  "\r\n--0xVelkorQuintar--\r\n";

QByteArray uploadBody(const QByteArray &currentPath, const QByteArray &fileName, const QByteArray &content)
{
    return "------WebKitFormBoundaryQ\r\n"
           "Content-Disposition: form-data; name=\"currentpath\"\r\n\r\n" + currentPath + "\r\n"
           "------WebKitFormBoundaryQ\r\n"
           "Content-Disposition: form-data; name=\"file\"; filename=\"" + fileName + "\"\r\n"
           "Content-Type: application/octet-stream\r\n\r\n" + content + "\r\n------WebKitFormBoundaryQ--\r\n";
}

QByteArray folderBody(const QByteArray &currentPath, const QByteArray &name)
{
    return "--b\r\nContent-Disposition: form-data; name=\"currentpath\"\r\n\r\n" + currentPath
           + "\r\n--b\r\nContent-Disposition: form-data; name=\"thefolder\"\r\n\r\n" + name + "\r\n--b--\r\n";
}

QByteArray post(const QByteArray &path, const QByteArray &body, const QByteArray &userAgent = "Mozilla/5.0")
{
    return "POST " + path + " HTTP/1.1\r\nUser-Agent: " + userAgent + "\r\nContent-Type: multipart/form-data\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every path under `folder`, relative to it, sorted.
QStringList tree(const QString &folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << QDir(folder).relativeFilePath(it.next());
    paths.sort();
    return paths;
}

}

class HttpFTConnectionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HTTPServer> m_server;

    QString docs(const QString &name = QString()) const
    {
        return m_dir->filePath(QStringLiteral("docs")) + (name.isEmpty() ? QString() : QLatin1Char('/') + name);
    }
    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        file.write(bytes);
    }
    RawHttp::Response exchange(const QByteArray &request)
    {
        RawHttp http(m_server->port());
        http.send(request);
        const std::optional<RawHttp::Response> response = http.read();
        return response.value_or(RawHttp::Response());
    }
    QString page(const QByteArray &path) { return QString::fromUtf8(exchange("GET " + path + " HTTP/1.1\r\n\r\n").body); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(docs(QStringLiteral("sub"))));
        m_server = std::make_unique<HTTPServer>();
        m_server->setDocumentRoot(docs());
        m_server->setUploadPath(docs());
        m_server->setRelativePath(QStringLiteral("httpft"));
        m_server->setConnectionClass<HttpFTConnection>();
        m_server->setPERMISSIONS(HttpFTPages::Upload | HttpFTPages::Delete);
        m_server->setBindAddress(QHostAddress::LocalHost);
        m_server->setPort(0);
        QVERIFY(m_server->start().ok());
    }

    void cleanup()
    {
        m_server.reset();
        m_dir.reset();
    }

    void linksAtTheRootAndInAFolder()
    {
        writeFile(docs(QStringLiteral("a.vcf")), "x");
        writeFile(docs(QStringLiteral("sub/b.vcf")), "y");
        const QString root = page("/");
        QVERIFY(root.contains(QStringLiteral("<a href=\"a.vcf\" target=\"_blank\"><img src=\"/httpft/txt.png\">&nbsp;a.vcf</a>")));
        QVERIFY(root.contains(QStringLiteral("<a href=\"sub\"><img src=\"/httpft/folder.gif\">&nbsp;sub</a>")));
        QVERIFY(root.contains(QStringLiteral("1 folders, 1 files")));
        const QString sub = page("/sub");
        QVERIFY(sub.contains(QStringLiteral("<a href=\"/sub/b.vcf\" target=\"_blank\">")));
        QVERIFY(sub.contains(QStringLiteral("<a class=\"bluelink\" href=\"/sub/b.vcf?download=yes\">Download</a>")));
        QVERIFY(sub.contains(QStringLiteral("<a class=\"big\" href=\"/\">UP<img\tsrc=\"/httpft/up.gif\"></a>&nbsp;Vennaro/sub/")));
        QVERIFY(sub.contains(QStringLiteral("value=\"/sub\"")));
    }

    void sizeCells_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("cell");
        QTest::newRow("1023") << 1023 << QStringLiteral("<td align=\"right\">1023 bytes</td>");
        QTest::newRow("1024") << 1024 << QStringLiteral("<td align=\"right\">1 KB</td>");
        QTest::newRow("1536") << 1536 << QStringLiteral("<td align=\"right\">1 KB</td>");
        QTest::newRow("2047 KiB") << 2047 * 1024 + 1023 << QStringLiteral("<td align=\"right\">2047 KB</td>");
    }

    void sizeCells()
    {
        QFETCH(int, size);
        QFETCH(QString, cell);
        writeFile(docs(QStringLiteral("f.bin")), QByteArray(size, 'x'));
        QVERIFY(page("/").contains(cell));
    }

    // Names that are markup, or that a link would misread, show as text and their links work.
    void hostileNamesStayText()
    {
        const QStringList names{QStringLiteral("<img src=x onerror=alert(1)>.vcf"), QStringLiteral("a b.vcf"),
                                QStringLiteral("hash#1.vcf"), QStringLiteral("q?x=1.vcf"), QStringLiteral("pct%41.vcf"),
                                QStringLiteral("quo\"te's.vcf"), QStringLiteral("\u00e1rvore \u00e7.vcf"),
                                QStringLiteral("amp&amp;.vcf"), QStringLiteral("http:x.vcf"), QStringLiteral("[[[TITLE]]].vcf")};
        for (const QString &name : names) {
            writeFile(docs(name), name.toUtf8());
            writeFile(docs(QStringLiteral("sub/") + name), "sub " + name.toUtf8());
        }
        for (const QByteArray &folder : {QByteArray("/"), QByteArray("/sub")}) {
            const QString listing = page(folder);
            QVERIFY(!listing.contains(QStringLiteral("<img src=x")));
            QVERIFY(listing.contains(QStringLiteral("&lt;img src=x onerror=alert(1)&gt;.vcf")));
            QVERIFY(listing.contains(QStringLiteral("[[[TITLE]]].vcf")));
            for (const QString &name : names) {
                const QString link = HttpFTPages::entryLink(QString::fromUtf8(folder), name);
                QVERIFY2(listing.contains(QStringLiteral("href=\"%1\"").arg(link)), qPrintable(link));
                const QByteArray absolute = folder == "/" ? "/" + link.toLatin1() : link.toLatin1();
                const RawHttp::Response file = exchange("GET " + absolute + " HTTP/1.1\r\n\r\n");
                QCOMPARE(file.body, (folder == "/" ? QByteArray() : QByteArray("sub ")) + name.toUtf8());
                const RawHttp::Response download = exchange("GET " + absolute + "?download=yes HTTP/1.1\r\n\r\n");
                QCOMPARE(download.status, 200);
                const QByteArray disposition = download.field("Content-Disposition").value_or(QByteArray());
                QVERIFY2(disposition.startsWith("attachment; filename=\"") && !disposition.contains('\r'), disposition.constData());
            }
        }
    }

    void downloadDisposition()
    {
        writeFile(docs(QStringLiteral("a.vcf")), "abc");
        const RawHttp::Response response = exchange("GET /a.vcf?download=yes HTTP/1.1\r\n\r\n");
        QCOMPARE(response.field("Content-Disposition"), std::optional<QByteArray>("attachment; filename=\"a.vcf\""));
        QCOMPARE(response.body, QByteArray("abc"));
        QCOMPARE(exchange("GET /none.vcf?download=yes HTTP/1.1\r\n\r\n").status, 404);
    }

    void permissions_data()
    {
        QTest::addColumn<uint>("bits");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QString upload = QStringLiteral("action=\"/filepost\"");
        const QString mkdir = QStringLiteral("action=\"/makefolder\"");
        const QString deleteFile = QStringLiteral("href=\"a.vcf?delete=yes\"  onclick=\"return confirmdelete()\"");
        const QString deleteEmpty = QStringLiteral("href=\"empty?delete=yes\"");
        const QString deleteFull = QStringLiteral("href=\"sub?delete=yes\"");
        const QString downloadLink = QStringLiteral("href=\"a.vcf?download=yes\"");
        const QString blank = QStringLiteral("<a href=\"a.vcf\" target=\"_blank\">");
        const QString rightClick = QStringLiteral("<br><p>To download a file click on a filename with the right mouse button or click the download button.\n");
        const QString click = QStringLiteral("<br><p>Click on a filename to download it.\n");
        QTest::newRow("0") << 0u << QStringList{downloadLink, blank, rightClick} << QStringList{upload, mkdir, deleteFile, deleteEmpty, click};
        QTest::newRow("1") << 1u << QStringList{mkdir} << QStringList{upload, deleteFile};
        QTest::newRow("6") << 6u << QStringList{upload, deleteFile, deleteEmpty} << QStringList{mkdir, deleteFull};
        QTest::newRow("8") << 8u << QStringList{click, QStringLiteral("<a href=\"a.vcf\"  >")} << QStringList{downloadLink, blank, rightClick};
    }

    void permissions()
    {
        QFETCH(uint, bits);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        m_server->setPERMISSIONS(bits);
        writeFile(docs(QStringLiteral("a.vcf")), "abc");
        writeFile(docs(QStringLiteral("sub/b.vcf")), "abc");
        QVERIFY(QDir().mkpath(docs(QStringLiteral("empty"))));
        const QString listing = page("/");
        for (const QString &text : present)
            QVERIFY2(listing.contains(text), qPrintable(text));
        for (const QString &text : absent)
            QVERIFY2(!listing.contains(text), qPrintable(text));
        const RawHttp::Response file = exchange("GET /a.vcf HTTP/1.1\r\n\r\n");
        QCOMPARE(file.field("Content-Disposition").has_value(), bits == 8);
    }

    void ownClientUpload()
    {
        QSignalSpy trace(m_server.get(), &HTTPServer::trace);
        const RawHttp::Response response = exchange(post("/filepost", kOwnClientBody, "Vennaro/0.1.0 CFNetwork"));
        QCOMPARE(response.status, 200);
        QVERIFY(response.body.contains("File upload has been completed."));
        QCOMPARE(readAll(docs(QStringLiteral("a.vcf"))), QByteArray("abc"));
        QCOMPARE(trace.last().first().toString(), QStringLiteral("Upload /a.vcf"));
    }

    void browserUploadWithAWindowsPath()
    {
        writeFile(docs(QStringLiteral("sub/x.vcf")), "old contents");
        const QByteArray content = "BEGIN:VCARD\r\nEND:VCARD\r\n\r\n--";
        const RawHttp::Response response = exchange(post("/filepost", uploadBody("/sub", "C:\\Documents and Settings\\me\\x.vcf", content)));
        QCOMPARE(response.status, 200);
        QVERIFY(response.body.contains("Vennaro/sub/"));  // the folder's page
        QCOMPARE(readAll(docs(QStringLiteral("sub/x.vcf"))), content);
        QCOMPARE(tree(docs()), (QStringList{QStringLiteral("sub"), QStringLiteral("sub/x.vcf")}));
    }

    void uploadOfALargeFileInManyPieces()
    {
        QByteArray content(300 * 1000, Qt::Uninitialized);
        for (qsizetype i = 0; i < content.size(); ++i)
            content[i] = char((i * 7) % 256);
        QCOMPARE(exchange(post("/filepost", uploadBody("/", "big.bin", content))).status, 200);
        QCOMPARE(readAll(docs(QStringLiteral("big.bin"))), content);
    }

    void emptyFileNameIsNotFound()
    {
        QCOMPARE(exchange(post("/filepost", uploadBody("/", "", ""))).status, 404);
        QCOMPARE(exchange(post("/filepost", QByteArray())).status, 404);
        QCOMPARE(tree(docs()), QStringList{QStringLiteral("sub")});
    }

    void postWithAQueryIsRefused()
    {
        RawHttp http(m_server->port());
        http.send(post("/filepost?x=1", kOwnClientBody));
        QCOMPARE(http.read()->status, 405);
        QVERIFY(http.closedByServer());
    }

    void unfinishedUploadsLeaveTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("hangUp");
        const QByteArray body = uploadBody("/", "keep.vcf", QByteArray(100000, 'n'));
        const QByteArray withoutEnd = body.left(body.indexOf("\r\n------WebKitFormBoundaryQ--"));
        QTest::newRow("no closing delimiter") << post("/filepost", withoutEnd) << false;
        QTest::newRow("connection lost") << post("/filepost", body).left(60000) << true;
    }

    void unfinishedUploadsLeaveTheOldFile()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, hangUp);
        writeFile(docs(QStringLiteral("keep.vcf")), "old");
        {
            RawHttp http(m_server->port());
            http.send(request);
            if (!hangUp)
                QCOMPARE(http.read()->status, 404);
            else
                QTest::qWait(300);  // the server takes the bytes and starts the file
        }
        QVERIFY(QTest::qWaitFor([this] { return m_server->numberOfHTTPConnections() == 0; }, 3000));
        QTest::qWait(50);  // the connection object goes on the next turn of the event loop
        QCOMPARE(tree(docs()), (QStringList{QStringLiteral("keep.vcf"), QStringLiteral("sub")}));
        QCOMPARE(readAll(docs(QStringLiteral("keep.vcf"))), QByteArray("old"));
    }

    // The bodies of tests/data/multipart-broken: nothing lands outside the documents folder,
    // nothing is left half-written, nothing is created by a refused path.
    void hostileBodies_data()
    {
        QTest::addColumn<QString>("path");
        const QDir folder(TestEnvironment::dataPath(QStringLiteral("multipart-broken")));
        const QStringList names = folder.entryList({QStringLiteral("*.multipart")}, QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 15);
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << folder.filePath(name);
    }

    void hostileBodies()
    {
        QFETCH(QString, path);
        const QString name = QFileInfo(path).fileName();
        const QStringList outsideBefore = tree(m_dir->path());
        const QByteArray route = name.startsWith(QLatin1String("mkfolder")) ? "/makefolder" : "/filepost";
        RawHttp http(m_server->port());
        http.send(post(route, readAll(path)));
        const std::optional<RawHttp::Response> response = http.read();
        if (response)
            QVERIFY2(response->status == 200 || response->status == 404, qPrintable(QString::number(response->status)));
        else
            QVERIFY(http.closedByServer());
        QStringList added = tree(m_dir->path());
        for (const QString &entry : outsideBefore)
            added.removeOne(entry);
        for (const QString &entry : std::as_const(added)) {
            QVERIFY2(entry.startsWith(QLatin1String("docs/")) && !entry.contains(QLatin1String(".upload-")) && !entry.contains(QLatin1String("evil")),
                     qPrintable(entry));
        }
        if (name.contains(QLatin1String("path")) || name.contains(QLatin1String("dotdot")) || name.contains(QLatin1String("nul")))
            QCOMPARE(added, QStringList());
    }

    void makeFolder()
    {
        QSignalSpy trace(m_server.get(), &HTTPServer::trace);
        const RawHttp::Response response = exchange(post("/makefolder", folderBody("/sub", "new one")));
        QCOMPARE(response.status, 200);
        QVERIFY(response.body.contains("Vennaro/sub/"));
        QVERIFY(QFileInfo(docs(QStringLiteral("sub/new one"))).isDir());
        QCOMPARE(trace.last().first().toString(), QStringLiteral("Mkdir /sub/new one"));
        QVERIFY(exchange(post("/makefolder", folderBody("/", "../evil"))).body.contains("Error invalid path."));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("evil"))));
    }

    void deleteFilesAndFolders()
    {
        writeFile(docs(QStringLiteral("sub/a.vcf")), "a");
        QVERIFY(QDir().mkpath(docs(QStringLiteral("sub/deeper/deepest"))));
        writeFile(docs(QStringLiteral("sub/deeper/deepest/b.vcf")), "b");
        QSignalSpy trace(m_server.get(), &HTTPServer::trace);
        const RawHttp::Response file = exchange("GET /sub/a.vcf?delete=yes HTTP/1.1\r\n\r\n");
        QVERIFY(file.body.contains("Vennaro/sub/"));
        QVERIFY(!QFileInfo::exists(docs(QStringLiteral("sub/a.vcf"))));
        const QString listing = page("/sub");
        QVERIFY(!listing.contains(QStringLiteral("deeper?delete=yes")));  // not empty: no link
        exchange("GET /sub/deeper?delete=yes HTTP/1.1\r\n\r\n");
        QCOMPARE(tree(docs()), QStringList{QStringLiteral("sub")});
        QCOMPARE(trace.first().first().toString(), QStringLiteral("Delete /sub/a.vcf"));
        QVERIFY(page("/gone.vcf?delete=yes").contains(QStringLiteral("Error deleting file: /gone.vcf")));
    }

    // A link inside the documents folder that points outside is not listed, served, deleted
    // through or written through.
    void linksOutOfTheFolder()
    {
        const QString outside = m_dir->filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside));
        writeFile(outside + QStringLiteral("/secret.txt"), "secret");
        QVERIFY(QFile::link(outside, docs(QStringLiteral("out"))));
        QVERIFY(QFile::link(outside + QStringLiteral("/secret.txt"), docs(QStringLiteral("secret-link.txt"))));
        QVERIFY(QFile::link(docs(QStringLiteral("sub")), docs(QStringLiteral("sub-link"))));
        const QString listing = page("/");
        QVERIFY(!listing.contains(QStringLiteral("out")));
        QVERIFY(!listing.contains(QStringLiteral("secret")));
        QVERIFY(listing.contains(QStringLiteral("sub-link")));
        QVERIFY(!exchange("GET /out/secret.txt HTTP/1.1\r\n\r\n").body.contains("secret"));
        QVERIFY(!exchange("GET /secret-link.txt?download=yes HTTP/1.1\r\n\r\n").body.contains("secret"));
        exchange("GET /out/secret.txt?delete=yes HTTP/1.1\r\n\r\n");
        exchange("GET /out?delete=yes HTTP/1.1\r\n\r\n");
        exchange(post("/filepost", uploadBody("/out", "new.txt", "x")));
        exchange(post("/makefolder", folderBody("/out", "made")));
        QCOMPARE(tree(outside), QStringList{QStringLiteral("secret.txt")});
    }

    void upnpDescription()
    {
        const RawHttp::Response response = exchange("GET /upnp.xml HTTP/1.1\r\n\r\n");
        QCOMPARE(response.status, 200);
        QVERIFY(response.body.contains("http://127.0.0.1:" + QByteArray::number(m_server->port()) + "/"));
        QVERIFY(!response.body.contains("%%"));
    }

    void resources_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status");
        QTest::newRow("icon") << QByteArray("/httpft/folder.gif") << 200;
        QTest::newRow("template") << QByteArray("/httpft/ftheader.html") << 200;
        QTest::newRow("missing") << QByteArray("/httpft/none.gif") << 404;
        QTest::newRow("way out") << QByteArray("/httpft/../strings/en.tsv") << 404;
        QTest::newRow("encoded way out") << QByteArray("/httpft/%2e%2e/strings/en.tsv") << 404;
    }

    void resources()
    {
        QFETCH(QByteArray, target);
        QFETCH(int, status);
        const RawHttp::Response response = exchange("GET " + target + " HTTP/1.1\r\n\r\n");
        QCOMPARE(response.status, status);
        if (status == 200 && target.endsWith(".gif"))
            QVERIFY(response.body.startsWith("GIF89a"));
    }

    void missingTemplates()
    {
        QTemporaryDir empty;
        QVERIFY(QDir().mkpath(empty.filePath(QStringLiteral("httpft"))));
        m_server->setResourceBase(empty.path());
        QCOMPARE(page("/"), QStringLiteral("Error - missing main template"));
        QCOMPARE(page("/nowhere"), QStringLiteral("Error - missing result template"));
        QCOMPARE(exchange("GET /upnp.xml HTTP/1.1\r\n\r\n").status, 404);
    }

    void traceOfReadingActions()
    {
        writeFile(docs(QStringLiteral("a.vcf")), "abc");
        QSignalSpy trace(m_server.get(), &HTTPServer::trace);
        page("/");
        page("/a.vcf");
        page("/a.vcf?download=yes");
        QVERIFY(page("/nowhere").contains(QStringLiteral("Error invalid path.")));
        QStringList lines;
        for (const QList<QVariant> &signal : std::as_const(trace))
            lines << signal.first().toString();
        QCOMPARE(lines, (QStringList{QStringLiteral("Get /"), QStringLiteral("Get /a.vcf"), QStringLiteral("Download /a.vcf"),
                                     QStringLiteral("Error /nowhere")}));
    }

    void ownClientIsKnownByItsUserAgent_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("own");
        QTest::newRow("own") << QByteArray("User-Agent") << QByteArray("Vennaro/0.1") << true;
        QTest::newRow("name in any case") << QByteArray("user-agent") << QByteArray("Vennaro") << true;
        QTest::newRow("browser") << QByteArray("User-Agent") << QByteArray("Mozilla/5.0 Vennaro") << false;
        QTest::newRow("other field") << QByteArray("X-Agent") << QByteArray("Vennaro") << false;
    }

    void ownClientIsKnownByItsUserAgent()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QFETCH(bool, own);
        HttpRequestHead head;
        head.fields = {{"Host", "x"}, {name, value}};
        QCOMPARE(HttpFTConnection::isOwnClient(head), own);
    }
};

QTEST_GUILESS_MAIN(HttpFTConnectionTest)
#include "HttpFTConnection_test.moc"
