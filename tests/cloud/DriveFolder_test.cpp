// The Google Drive client against the in-process stand-in of the Drive API v3.

#include "support/CloudFixture.h"
#include "cloud/DriveFolder.h"
#include "platform/Localization.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString kFolderType = u"application/vnd.google-apps.folder"_s;
}

class DriveFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void uploadTypes_data();
    void uploadTypes();
    void folderMadeOnceThenFound();
    void listingShowsTheFolderContactFilesOnly();
    void resumableUpload();
    void downloadAndDelete();
    void rateLimitedRequestIsRetried();
    void expiredTokenIsRefreshedOnce();

private:
    QString localFile(const QString &name, const QByteArray &content);
    QString folderId() const;
    std::unique_ptr<CloudFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_local;
    std::unique_ptr<RemoteFolder> m_folder;
};

void DriveFolderTest::init()
{
    m_fixture = std::make_unique<CloudFixture>();
    m_local = std::make_unique<QTemporaryDir>();
    m_fixture->signIn(CloudAccounts::Drive);
    m_folder.reset(CloudAccounts::instance().newFolder(CloudAccounts::Drive, nullptr));
}

void DriveFolderTest::cleanup()
{
    m_folder.reset();
    m_fixture.reset();
}

QString DriveFolderTest::localFile(const QString &name, const QByteArray &content)
{
    const QString path = m_local->filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

QString DriveFolderTest::folderId() const
{
    const auto &files = m_fixture->drive.files;
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it->name == u"Vennaro"_s && it->mimeType == kFolderType && it->parents.contains(u"root"_s) && !it->trashed)
            return it.key();
    }
    return QString();
}

void DriveFolderTest::uploadTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mimeType"); // empty: refused
    QTest::newRow("vnbin") << u"backup.VNBIN"_s << u"application/octet-stream"_s;
    QTest::newRow("zip") << u"cards.zip"_s << u"application/octet-stream"_s;
    QTest::newRow("vcf") << u"Zoë.vcf"_s << u"text/plain"_s;
    QTest::newRow("ldif") << u"a.ldif"_s << u"text/plain"_s;
    QTest::newRow("txt") << u"a.txt"_s << u"text/plain"_s;
    QTest::newRow("csv") << u"a.csv"_s << u"text/csv"_s;
    QTest::newRow("htm") << u"a.htm"_s << u"text/html"_s;
    QTest::newRow("jpg refused") << u"photo.jpg"_s << QString();
}

void DriveFolderTest::uploadTypes()
{
    QFETCH(QString, name);
    QFETCH(QString, mimeType);
    Result<void> sent = CloudFixture::upload(*m_folder, localFile(name, "content"), nullptr);
    DriveStandIn &service = m_fixture->drive;
    if (mimeType.isEmpty()) {
        QVERIFY(!sent.ok());
        QCOMPARE(sent.error(), L("KNeedMimeType").arg(name));
        QCOMPARE(service.requests.size(), 0);
        return;
    }
    QVERIFY2(sent.ok(), qPrintable(sent.ok() ? QString() : sent.error()));
    const DriveStandIn::File file = service.files.value(service.idOf(name));
    QCOMPARE(file.mimeType, mimeType);
    QCOMPARE(file.content, "content"_ba);
    // The upload itself puts the file into the folder.
    QCOMPARE(file.parents, QStringList{folderId()});
    QCOMPARE(service.count(u"/upload/drive/v3/files"_s), 1);
}

void DriveFolderTest::folderMadeOnceThenFound()
{
    DriveStandIn &service = m_fixture->drive;
    // A folder of that name elsewhere, or in the trash, is not ours.
    service.addFile({u"Vennaro"_s, kFolderType, {u"other"_s}, {}, false, {}});
    service.addFile({u"Vennaro"_s, kFolderType, {u"root"_s}, {}, true, {}});
    QVERIFY(CloudFixture::list(*m_folder).ok());
    const QString id = folderId();
    QVERIFY(!id.isEmpty());
    QVERIFY(!service.files.value(id).trashed);
    QCOMPARE(service.count(u"/drive/v3/files"_s), 3); // find, create, list

    std::unique_ptr<RemoteFolder> other(CloudAccounts::instance().newFolder(CloudAccounts::Drive, nullptr));
    QVERIFY(CloudFixture::upload(*other, localFile(u"a.vcf"_s, "a"), nullptr).ok());
    QCOMPARE(service.files.value(service.idOf(u"a.vcf"_s)).parents, QStringList{id});
    QCOMPARE(std::count_if(service.files.begin(), service.files.end(), [](const DriveStandIn::File &f) { return f.mimeType == kFolderType && !f.trashed && f.parents == QStringList{u"root"_s}; }), 1);
}

void DriveFolderTest::listingShowsTheFolderContactFilesOnly()
{
    DriveStandIn &service = m_fixture->drive;
    service.pageSize = 2;
    QVERIFY(CloudFixture::list(*m_folder).ok());
    const QString id = folderId();
    service.addFile({u"in.vcf"_s, u"text/plain"_s, {id}, "1234", false, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC)});
    service.addFile({u"in.csv"_s, u"text/csv"_s, {id}, "x", false, {}});
    service.addFile({u"in.txt"_s, u"text/plain"_s, {id}, "x", false, {}});
    service.addFile({u"sub.vcf"_s, kFolderType, {id}, {}, false, {}});
    service.addFile({u"trashed.vcf"_s, u"text/plain"_s, {id}, "x", true, {}});
    service.addFile({u"outside.vcf"_s, u"text/plain"_s, {u"root"_s}, "x", false, {}});
    Result<QList<RemoteFile>> files = CloudFixture::list(*m_folder);
    QVERIFY(files.ok());
    QCOMPARE(files->size(), 2);
    QCOMPARE(files->at(0).name, u"in.vcf"_s);
    QCOMPARE(files->at(0).size, 4);
    QCOMPARE(files->at(0).modified, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC));
    QCOMPARE(files->at(1).name, u"in.csv"_s);
}

void DriveFolderTest::resumableUpload()
{
    static_cast<DriveFolder *>(m_folder.get())->setUploadLimits(1000, 256 * 1024);
    QByteArray content(600 * 1024, 'v');
    content[0] = 'A';
    content[content.size() - 1] = 'Z';
    QList<double> progress;
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"large.vnbin"_s, content), &progress).ok());
    DriveStandIn &service = m_fixture->drive;
    const DriveStandIn::File file = service.files.value(service.idOf(u"large.vnbin"_s));
    QCOMPARE(file.content, content);
    QCOMPARE(file.mimeType, u"application/octet-stream"_s);
    QCOMPARE(file.parents, QStringList{folderId()});
    QCOMPARE(service.count(u"/upload/session/"_s), 3); // 256 KiB, 256 KiB, the rest
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
}

void DriveFolderTest::downloadAndDelete()
{
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"a.ldif"_s, "dn: x\n"), nullptr).ok());
    Result<QList<RemoteFile>> files = CloudFixture::list(*m_folder);
    QVERIFY(files.ok() && files->size() == 1);
    const QString target = m_local->filePath(u"down.ldif"_s);
    QVERIFY(CloudFixture::download(*m_folder, files->first(), target).ok());
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "dn: x\n"_ba);

    QVERIFY(CloudFixture::remove(*m_folder, files->first()).ok());
    QVERIFY(m_fixture->drive.idOf(u"a.ldif"_s).isEmpty());
    Result<void> again = CloudFixture::remove(*m_folder, files->first());
    QVERIFY(!again.ok());
    QVERIFY(again.error().startsWith(u"File not found"_s));
    // No content address at all.
    Result<void> noLink = CloudFixture::download(*m_folder, {u"x.vcf"_s, {}, {}, 1}, m_local->filePath(u"x.vcf"_s));
    QCOMPARE(noLink.ok() ? QString() : noLink.error(), L("KMissingDownloadLink"));
}

void DriveFolderTest::rateLimitedRequestIsRetried()
{
    QSignalSpy waits(m_folder.get(), &RemoteFolder::waitingToRetry);
    m_fixture->drive.rateLimitNext = 1;
    QVERIFY(CloudFixture::list(*m_folder).ok());
    QCOMPARE(waits.size(), 1);
    m_fixture->drive.rateLimitNext = 10;
    Result<QList<RemoteFile>> refused = CloudFixture::list(*m_folder);
    QVERIFY(!refused.ok());
    QCOMPARE(refused.error(), u"User rate limit exceeded"_s);
}

void DriveFolderTest::expiredTokenIsRefreshedOnce()
{
    m_fixture->driveAuth.expireAccessTokens();
    QVERIFY(CloudFixture::list(*m_folder).ok());
    QCOMPARE(m_fixture->driveAuth.refreshCount, 1);
}

QTEST_GUILESS_MAIN(DriveFolderTest)
#include "DriveFolder_test.moc"
