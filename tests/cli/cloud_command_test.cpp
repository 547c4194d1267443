// `vennaro cloud`: sign-in and the folder operations as a separate process, against the
// services' stand-ins in this test process.

#include "TestEnvironment.h"
#include "support/CloudFixture.h"
#include "support/ProgramRuns.h"
#include "shell/OAuthTokenStore.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class CloudCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginThenTransfers_data();
    void loginThenTransfers();
    void refusals_data();
    void refusals();

private:
    // The program with the fixture's defaults, alongside the stand-ins in this process.
    int run(const TestEnvironment &env, const CloudFixture &fixture, const QStringList &arguments, QString *out,
            QString *err = nullptr, const std::function<void(const QString &)> &onOutput = {});
};

int CloudCommandTest::run(const TestEnvironment &env, const CloudFixture &fixture, const QStringList &arguments, QString *out,
                          QString *err, const std::function<void(const QString &)> &onOutput)
{
    return ProgramRuns::runAlongside(env, fixture.configFolder(), arguments, out, err, onOutput);
}

void CloudCommandTest::loginThenTransfers_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("uploaded");
    QTest::addColumn<QString>("downloaded");
    QTest::newRow("dropbox") << u"dropbox"_s << u"File Zoë.vcf uploaded to Dropbox"_s << u"File Zoë.vcf downloaded from Dropbox"_s;
    QTest::newRow("drive") << u"drive"_s << u"Upload OK"_s << u"File downloaded"_s;
}

void CloudCommandTest::loginThenTransfers()
{
    QFETCH(QString, service);
    QFETCH(QString, uploaded);
    QFETCH(QString, downloaded);
    TestEnvironment env;
    CloudFixture fixture;
    QString out, err;

    bool browsed = false;
    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"login"_s}, &out, &err, [&browsed](const QString &output) {
                 const qsizetype at = output.indexOf(u"http://"_s);
                 if (browsed || at < 0 || !output.mid(at).contains(u'\n'))
                     return;
                 browsed = true;
                 CloudFixture::browse(QUrl(output.mid(at).section(u'\n', 0, 0)));
             }), 0);
    QVERIFY2(out.contains(u"Signed in to "_s), qPrintable(out + err));
    QVERIFY(!out.contains(u"at-"_s)); // tokens are never printed

    QFile file(env.documents() + u"/Zoë.vcf"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\r\nEND:VCARD\r\n");
    file.close();
    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"upload"_s, u"Zoë.vcf"_s}, &out, &err), 0);
    QCOMPARE(out.trimmed(), uploaded);
    QFile::remove(file.fileName());

    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"list"_s}, &out, &err), 0);
    QVERIFY2(out.startsWith(u"Zoë.vcf\t"_s) && out.trimmed().endsWith(u"(24 bytes)"_s), qPrintable(out));

    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"download"_s, u"Zoë.vcf"_s}, &out, &err), 0);
    QCOMPARE(out.trimmed(), downloaded);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "BEGIN:VCARD\r\nEND:VCARD\r\n"_ba);

    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"delete"_s, u"Zoë.vcf"_s}, &out, &err), 0);
    QCOMPARE(out.trimmed(), u"File Zoë.vcf deleted"_s);
    QCOMPARE(run(env, fixture, {u"cloud"_s, service, u"download"_s, u"Zoë.vcf"_s}, &out, &err), 1);
    QVERIFY(err.contains(u"There is no file Zoë.vcf in the folder Vennaro."_s));
}

void CloudCommandTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no service") << QStringList{u"cloud"_s} << u"give dropbox or drive"_s;
    QTest::newRow("unknown service") << QStringList{u"cloud"_s, u"box"_s, u"list"_s} << u"give dropbox or drive"_s;
    QTest::newRow("unknown action") << QStringList{u"cloud"_s, u"drive"_s, u"move"_s, u"a"_s} << u"unknown action \"move\""_s;
    QTest::newRow("upload without file") << QStringList{u"cloud"_s, u"drive"_s, u"upload"_s} << u"upload needs one file name"_s;
    QTest::newRow("not signed in") << QStringList{u"cloud"_s, u"dropbox"_s, u"list"_s} << u"is not signed in"_s;
}

void CloudCommandTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    CloudFixture fixture;
    QString out, err;
    QCOMPARE(run(env, fixture, arguments, &out, &err), 1);
    QVERIFY2(err.contains(message), qPrintable(err));
}

QTEST_GUILESS_MAIN(CloudCommandTest)
#include "cloud_command_test.moc"
