// `vennaro qr`: the text, the file it writes and the choices it refuses.

#include "support/TestEnvironment.h"

#include <QImage>
#include <QtTest>

using namespace Qt::StringLiterals;

class QrCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textAndFile();
    void refusals_data();
    void refusals();
};

void QrCommandTest::textAndFile()
{
    TestEnvironment env;
    ABAddressBookRef book = env.open();
    ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
    person->setValue(kABPersonFirstNameProperty, u"Ana/Bo"_s);
    person->setValue(kABPersonLastNameProperty, u"Silva"_s);
    QVERIFY(book->addRecord(person) && book->save());
    const QString id = QString::number(person->recordID());
    book.reset();

    QString out, err;
    QCOMPARE(env.runProgram({u"qr"_s, id, u"--text"_s}, &out, &err), 0);
    QCOMPARE(out, u"MECARD:N:Silva, Ana/Bo;;\n"_s);

    // The default name is the contact's, kept inside the documents folder.
    QCOMPARE(env.runProgram({u"qr"_s, id, u"--size"_s, u"small"_s}, &out, &err), 0);
    const QString path = out.trimmed();
    QCOMPARE(path, env.documents() + u"/Ana_Bo Silva.png"_s);
    QCOMPARE(QImage(path).size(), QSize(120, 120));

    QCOMPARE(env.runProgram({u"qr"_s, id, u"--name"_s, u"card"_s}, &out, &err), 0);
    QCOMPARE(out.trimmed(), env.documents() + u"/card.png"_s);
    QCOMPARE(QImage(out.trimmed()).size(), QSize(230, 230));
}

void QrCommandTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no identifier") << QStringList{u"qr"_s} << u"give one record identifier"_s;
    QTest::newRow("not a number") << QStringList{u"qr"_s, u"x"_s} << u"\"x\" is not a record identifier"_s;
    QTest::newRow("no such person") << QStringList{u"qr"_s, u"999"_s} << u"no person has the identifier 999"_s;
    QTest::newRow("unknown size") << QStringList{u"qr"_s, u"1"_s, u"--size"_s, u"huge"_s} << u"small, medium or large"_s;
}

void QrCommandTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    QString out, err;
    QCOMPARE(env.runProgram(arguments, &out, &err), 1);
    QVERIFY2(err.contains(message), qPrintable(err));
}

QTEST_GUILESS_MAIN(QrCommandTest)
#include "qr_command_test.moc"
