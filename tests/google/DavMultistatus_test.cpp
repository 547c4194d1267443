// WebDAV multistatus answers as servers send them (tests/data/carddav, also the fuzz seeds),
// and answers that must be refused without harm.

#include "google/DavMultistatus.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray sample(const QString &name)
{
    QFile file(TestEnvironment::dataPath(u"carddav/"_s + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}

class DavMultistatusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discovery();
    void addressBooks();
    void multiget();
    void refused_data();
    void refused();
};

void DavMultistatusTest::discovery()
{
    Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(sample(u"propfind-discovery.xml"_s));
    QVERIFY(responses);
    QCOMPARE(responses->size(), 1);
    const DavMultistatus::Response &root = responses->first();
    QCOMPARE(root.href, u"/"_s);
    QCOMPARE(root.property(DavMultistatus::kDav, "current-user-principal")->hrefs, QStringList{u"/alice/"_s});
    // A property the server answered 404 for is not there.
    QVERIFY(!root.property(DavMultistatus::kCardDav, "addressbook-home-set"));
}

void DavMultistatusTest::addressBooks()
{
    Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(sample(u"propfind-books.xml"_s));
    QVERIFY(responses);
    QCOMPARE(responses->size(), 2);
    const DavMultistatus::Response &book = responses->last();
    QVERIFY(book.property(DavMultistatus::kDav, "resourcetype")->children.contains(DavMultistatus::key(DavMultistatus::kCardDav, "addressbook")));
    QCOMPARE(book.property(DavMultistatus::kDav, "displayname")->text, u"Address Book"_s);
    QVERIFY(!book.property(DavMultistatus::kCardDav, "max-resource-size"));
}

void DavMultistatusTest::multiget()
{
    Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(sample(u"report-multiget.xml"_s));
    QVERIFY(responses);
    QCOMPARE(responses->size(), 3);
    QCOMPARE(responses->at(0).property(DavMultistatus::kDav, "getetag")->text, u"\"5e1f\""_s);
    const QString card = responses->at(0).property(DavMultistatus::kCardDav, "address-data")->text;
    QVERIFY(card.contains(u"FN:Ana & Bia\r\n"_s));
    QCOMPARE(responses->at(1).status, 404);
    QVERIFY(!responses->at(1).property(DavMultistatus::kCardDav, "address-data"));
    QVERIFY(responses->at(2).property(DavMultistatus::kCardDav, "address-data")->text.startsWith(u"BEGIN:VCARD\nVERSION:4.0"_s));
}

void DavMultistatusTest::refused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not XML") << QByteArray("<html><body>Bad gateway");
    QTest::newRow("another root") << QByteArray("<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\"/>");
    QTest::newRow("multistatus of another namespace") << QByteArray("<multistatus><response><href>/</href></response></multistatus>");
    // Entities (nested ones, and an outside one naming a local file) come with a document type.
    QTest::newRow("nested entities") << sample(u"entity-expansion.xml"_s);
    QTest::newRow("one entity") << QByteArray("<!DOCTYPE m [<!ENTITY x \"/x\">]><multistatus xmlns=\"DAV:\"><response><href>&x;</href>"
                                              "</response></multistatus>");
}

void DavMultistatusTest::refused()
{
    QFETCH(QByteArray, body);
    QVERIFY(!DavMultistatus::parse(body));
}

QTEST_GUILESS_MAIN(DavMultistatusTest)
#include "DavMultistatus_test.moc"
