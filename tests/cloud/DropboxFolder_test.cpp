// The Dropbox client against the in-process stand-in of the API.

#include "support/CloudFixture.h"
#include "cloud/DropboxFolder.h"
#include "shell/OAuthSession.h"

#include <QFile>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

class DropboxFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void headerArgumentIsAscii();
    void uploadListDownloadDelete();
    void listingShowsContactFilesOnly();
    void folderCreatedOnceAndExistingFolderAccepted();
    void uploadSessionResumesAfterLostAnswer();
    void serviceErrorsCarryItsDescription_data();
    void serviceErrorsCarryItsDescription();
    void expiredTokenIsRefreshedOnce();
    void rateLimitWaitsAndRetries();
    void failedDownloadLeavesNoFile();

private:
    QString localFile(const QString &name, const QByteArray &content);
    std::unique_ptr<CloudFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_local;
    std::unique_ptr<RemoteFolder> m_folder;
};

void DropboxFolderTest::init()
{
    m_fixture = std::make_unique<CloudFixture>();
    m_local = std::make_unique<QTemporaryDir>();
    m_fixture->signIn(CloudAccounts::Dropbox);
    m_folder.reset(CloudAccounts::instance().newFolder(CloudAccounts::Dropbox, nullptr));
}

void DropboxFolderTest::cleanup()
{
    m_folder.reset();
    m_fixture.reset();
}

QString DropboxFolderTest::localFile(const QString &name, const QByteArray &content)
{
    const QString path = m_local->filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

void DropboxFolderTest::headerArgumentIsAscii()
{
    // Non-ASCII, including a character outside the basic plane, as UTF-16 escapes.
    QCOMPARE(DropboxFolder::headerArgument({{u"path"_s, u"/Vennaro/Zoë 😀.vcf"_s}}),
             R"({"path":"/Vennaro/Zo\u00eb \ud83d\ude00.vcf"})"_ba);
    QCOMPARE(DropboxFolder::headerArgument({{u"path"_s, QString(QChar(0x7f))}}), R"({"path":"\u007f"})"_ba);
}

void DropboxFolderTest::uploadListDownloadDelete()
{
    DropboxStandIn &service = m_fixture->dropbox;
    QList<double> progress;
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"Zoë Ñúñez.vcf"_s, "BEGIN:VCARD\r\nEND:VCARD\r\n"), &progress).ok());
    QVERIFY(!progress.isEmpty() && progress.last() == 1.0);
    QCOMPARE(service.content(u"/Vennaro/Zoë Ñúñez.vcf"_s), "BEGIN:VCARD\r\nEND:VCARD\r\n"_ba);
    // Overwrite, not a renamed copy.
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"Zoë Ñúñez.vcf"_s, "second"), nullptr).ok());
    QCOMPARE(service.content(u"/Vennaro/Zoë Ñúñez.vcf"_s), "second"_ba);

    Result<QList<RemoteFile>> files = CloudFixture::list(*m_folder);
    QVERIFY(files.ok());
    QCOMPARE(files->size(), 1);
    QCOMPARE(files->first().name, u"Zoë Ñúñez.vcf"_s);
    QCOMPARE(files->first().size, 6);
    QVERIFY(files->first().modified.isValid());

    const QString target = m_local->filePath(u"copy.vcf"_s);
    QVERIFY(CloudFixture::download(*m_folder, files->first(), target).ok());
    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), "second"_ba);
    // Downloading leaves the file in the account.
    QVERIFY(service.has(u"/Vennaro/Zoë Ñúñez.vcf"_s));

    QVERIFY(CloudFixture::remove(*m_folder, files->first()).ok());
    QVERIFY(!service.has(u"/Vennaro/Zoë Ñúñez.vcf"_s));
    QCOMPARE(CloudFixture::list(*m_folder)->size(), 0);
}

void DropboxFolderTest::listingShowsContactFilesOnly()
{
    DropboxStandIn &service = m_fixture->dropbox;
    service.pageSize = 2; // several pages
    service.putFolder(u"/Vennaro"_s);
    service.putFile(u"/Vennaro/a.vcf"_s, "a");
    service.putFile(u"/Vennaro/B.VNBIN"_s, "b");
    service.putFile(u"/Vennaro/notes.txt"_s, "n");
    service.putFolder(u"/Vennaro/sub.vcf"_s);
    service.putFile(u"/Vennaro/sub.vcf/inner.vcf"_s, "i");
    service.putFile(u"/Vennaro/c.ldif"_s, "c");
    service.putFile(u"/Vennaro/d.csv"_s, "d");
    service.putFile(u"/outside.vcf"_s, "o");
    Result<QList<RemoteFile>> files = CloudFixture::list(*m_folder);
    QVERIFY(files.ok());
    QStringList names;
    for (const RemoteFile &file : *files)
        names.append(file.name);
    names.sort();
    QCOMPARE(names, (QStringList{u"B.VNBIN"_s, u"a.vcf"_s, u"c.ldif"_s, u"d.csv"_s}));
    QVERIFY(service.count(u"/2/files/list_folder/continue"_s) >= 2);
}

void DropboxFolderTest::folderCreatedOnceAndExistingFolderAccepted()
{
    DropboxStandIn &service = m_fixture->dropbox;
    QVERIFY(CloudFixture::list(*m_folder).ok());
    QVERIFY(service.has(u"/Vennaro"_s));
    QVERIFY(CloudFixture::list(*m_folder).ok());
    QCOMPARE(service.count(u"/2/files/create_folder_v2"_s), 1);
    // A new client asks again and takes "already there" as success.
    std::unique_ptr<RemoteFolder> other(CloudAccounts::instance().newFolder(CloudAccounts::Dropbox, nullptr));
    QVERIFY(CloudFixture::list(*other).ok());
    QCOMPARE(service.count(u"/2/files/create_folder_v2"_s), 2);

    // A file in the folder's place is a real conflict.
    service.entries.clear();
    service.putFile(u"/Vennaro"_s, "x");
    std::unique_ptr<RemoteFolder> third(CloudAccounts::instance().newFolder(CloudAccounts::Dropbox, nullptr));
    Result<QList<RemoteFile>> refused = CloudFixture::list(*third);
    QVERIFY(!refused.ok());
    QVERIFY(refused.error().startsWith(u"path/conflict"_s));
}

void DropboxFolderTest::uploadSessionResumesAfterLostAnswer()
{
    auto *dropbox = static_cast<DropboxFolder *>(m_folder.get());
    dropbox->setUploadSessionLimits(10, 4);
    DropboxStandIn &service = m_fixture->dropbox;
    service.loseNextAppendAnswer = true;
    QList<double> progress;
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"big.vnbin"_s, "0123456789abcdef"), &progress).ok());
    QCOMPARE(service.content(u"/Vennaro/big.vnbin"_s), "0123456789abcdef"_ba);
    QCOMPARE(service.count(u"/2/files/upload_session/start"_s), 1);
    QCOMPARE(service.count(u"/2/files/upload_session/finish"_s), 1);
    QCOMPARE(service.count(u"/2/files/upload"_s), 5); // start, 2 appends + the repeated one, finish
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
}

void DropboxFolderTest::serviceErrorsCarryItsDescription_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("description");
    QTest::newRow("download of a missing file") << u"download"_s << u"path/not_found/.."_s;
    QTest::newRow("delete of a missing file") << u"delete"_s << u"path_lookup/not_found/.."_s;
}

void DropboxFolderTest::serviceErrorsCarryItsDescription()
{
    QFETCH(QString, operation);
    QFETCH(QString, description);
    const RemoteFile missing{u"gone.vcf"_s, u"/Vennaro/gone.vcf"_s, {}, 1};
    Result<void> result = operation == u"download"_s ? CloudFixture::download(*m_folder, missing, m_local->filePath(u"gone.vcf"_s))
                                                     : CloudFixture::remove(*m_folder, missing);
    QVERIFY(!result.ok());
    QCOMPARE(result.error(), description);
}

void DropboxFolderTest::expiredTokenIsRefreshedOnce()
{
    m_fixture->dropboxAuth.expireAccessTokens();
    QVERIFY(CloudFixture::list(*m_folder).ok());
    QCOMPARE(m_fixture->dropboxAuth.refreshCount, 1);
    QCOMPARE(m_fixture->dropbox.count(u"/2/files/create_folder_v2"_s), 2); // refused, then sent again

    // A token that the service keeps refusing is not refreshed in a loop.
    m_fixture->dropboxAuth.expireAccessTokens();
    auto *service = &m_fixture->dropbox;
    const int before = service->requests.size();
    m_fixture->dropboxAuth.revokeRefreshTokens();
    Result<QList<RemoteFile>> refused = CloudFixture::list(*m_folder);
    QVERIFY(!refused.ok());
    QCOMPARE(service->requests.size(), before + 1);
}

void DropboxFolderTest::rateLimitWaitsAndRetries()
{
    QSignalSpy waits(m_folder.get(), &RemoteFolder::waitingToRetry);
    m_fixture->dropbox.rateLimitNext(2, 1);
    QVERIFY(CloudFixture::upload(*m_folder, localFile(u"a.csv"_s, "x"), nullptr).ok());
    QCOMPARE(waits.size(), 2);
    QCOMPARE(waits.first().first().toInt(), 1);

    // Bounded: a service that never lets up gets its own description back.
    m_fixture->dropbox.rateLimitNext(10, 0);
    Result<void> refused = CloudFixture::upload(*m_folder, localFile(u"b.csv"_s, "y"), nullptr);
    QVERIFY(!refused.ok());
    QVERIFY(refused.error().startsWith(u"too_many_write_operations"_s));
}

void DropboxFolderTest::failedDownloadLeavesNoFile()
{
    // A failed download neither creates the file nor touches one that was there.
    const QString kept = localFile(u"kept.vcf"_s, "old");
    const RemoteFile missing{u"kept.vcf"_s, {}, {}, 1};
    QVERIFY(!CloudFixture::download(*m_folder, missing, kept).ok());
    QFile file(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "old"_ba);
    QVERIFY(!CloudFixture::download(*m_folder, {u"new.vcf"_s, {}, {}, 1}, m_local->filePath(u"new.vcf"_s)).ok());
    QCOMPARE(QDir(m_local->path()).entryList(QDir::Files), QStringList{u"kept.vcf"_s});
}

QTEST_GUILESS_MAIN(DropboxFolderTest)
#include "DropboxFolder_test.moc"
