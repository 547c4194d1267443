// The pure parts of the number tools: the working number, the mask check, rewriting one
// number by a change rule, pouring a number into the format masks, and the international form.

#include "numbers/ChangeRule.h"
#include "numbers/E164Transform.h"
#include "numbers/FormatMasks.h"
#include "numbers/WorkingNumber.h"
#include "platform/DevLog.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TransformsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workingNumber_data();
    void workingNumber();
    void maskCheck_data();
    void maskCheck();
    void changeRule_data();
    void changeRule();
    void regexErrorsAreLogged();
    void formatMasks_data();
    void formatMasks();
    void e164_data();
    void e164();
};

void TransformsTest::workingNumber_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("working");
    QTest::newRow("punctuation") << "+1 (555) 010-9999"_ba << "+15550109999"_ba;
    QTest::newRow("keypad signs") << "*31#, 99.12"_ba << "*31#9912"_ba;
    QTest::newRow("letters and utf-8") << "1-800-FLOWERS ☎ 2"_ba << "18002"_ba;
    QTest::newRow("empty") << ""_ba << ""_ba;
}

void TransformsTest::workingNumber()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, working);
    QCOMPARE(WorkingNumber::from(stored), working);
}

void TransformsTest::maskCheck_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("check");
    const int valid = int(ChangeRule::MaskCheck::Valid);
    const int invalid = int(ChangeRule::MaskCheck::Invalid);
    QTest::newRow("empty") << QString() << int(ChangeRule::MaskCheck::Missing);
    QTest::newRow("letter") << u"12A"_s << invalid;
    QTest::newRow("regex with letter") << u"r12A"_s << valid;
    QTest::newRow("upper R regex") << u"R[a-z"_s << valid;
    QTest::newRow("all wildcard signs") << u"@+#*?0123456789@"_s << valid;
    QTest::newRow("blank") << u"12 3"_s << invalid;
    QTest::newRow("full-width digit") << u"1２"_s << invalid;
}

void TransformsTest::maskCheck()
{
    QFETCH(QString, mask);
    QFETCH(int, check);
    ChangeRule rule;
    rule.mask = mask;
    QCOMPARE(int(rule.checkMask()), check);
}

void TransformsTest::changeRule_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("newNumber");
    QTest::addColumn<int>("action");
    QTest::addColumn<QByteArray>("working");
    QTest::addColumn<QByteArray>("result"); // empty: no result

    const int prefix = ChangeRule::Prefix, replace = ChangeRule::Replace, erase = ChangeRule::Erase;
    QTest::newRow("fixed ?12 replace") << u"?12??????"_s << u"99"_s << replace << "012345678"_ba << "099345678"_ba;
    QTest::newRow("fixed ?12 ten characters") << u"?12??????"_s << u"99"_s << replace << "0123456789"_ba << ""_ba;
    QTest::newRow("fixed ?12 other digits") << u"?12??????"_s << u"99"_s << replace << "013345678"_ba << ""_ba;
    QTest::newRow("fixed ???13") << u"???13"_s << u"7"_s << erase << "55513"_ba << "555"_ba;
    QTest::newRow("fixed prefix ignores span") << u"??3"_s << u"+"_s << prefix << "123"_ba << "+123"_ba;
    QTest::newRow("five ? erase never") << u"?????"_s << u"0"_s << erase << "12345"_ba << ""_ba;
    QTest::newRow("five ? replace never") << u"?????"_s << u"0"_s << replace << "12345"_ba << ""_ba;
    QTest::newRow("five ? prefix") << u"?????"_s << u"0"_s << prefix << "12345"_ba << "012345"_ba;
    QTest::newRow("five ? prefix other length") << u"?????"_s << u"0"_s << prefix << "1234"_ba << ""_ba;
    QTest::newRow("@12 erase") << u"@12"_s << QString() << erase << "5512"_ba << "55"_ba;
    QTest::newRow("@12 not longer than literal") << u"@12"_s << QString() << erase << "12"_ba << ""_ba;
    QTest::newRow("@12 not at the end") << u"@12"_s << QString() << erase << "1255"_ba << ""_ba;
    QTest::newRow("@12?????? replace") << u"@12??????"_s << u"34"_s << replace << "9912345678"_ba << "9934345678"_ba;
    QTest::newRow("@12?????? too few after") << u"@12??????"_s << u"34"_s << replace << "991234567"_ba << ""_ba;
    QTest::newRow("@12?????? exactly fits") << u"@12??????"_s << u"34"_s << replace << "12345678"_ba << "34345678"_ba;
    QTest::newRow("12@ prefix") << u"12@"_s << u"0"_s << prefix << "1234"_ba << "01234"_ba;
    QTest::newRow("12@ prefix literal only") << u"12@"_s << u"0"_s << prefix << "12"_ba << "012"_ba;
    QTest::newRow("12@ replace") << u"12@"_s << u"+3512"_s << replace << "1234"_ba << "+351234"_ba;
    QTest::newRow("12@ no match") << u"12@"_s << u"0"_s << prefix << "2134"_ba << ""_ba;
    QTest::newRow("??12@ replace") << u"??12@"_s << u"9"_s << replace << "001234"_ba << "00934"_ba;
    QTest::newRow("??12@ short") << u"??12@"_s << u"9"_s << replace << "012"_ba << ""_ba;
    QTest::newRow("@12@ first occurrence") << u"@12@"_s << u"34"_s << replace << "512612"_ba << "534612"_ba;
    QTest::newRow("@12@ absent") << u"@12@"_s << u"34"_s << replace << "51662"_ba << ""_ba;
    QTest::newRow("@1?@ wildcard inside never") << u"@1?@"_s << u"34"_s << replace << "5126"_ba << ""_ba;
    QTest::newRow("@ prefix") << u"@"_s << u"+55"_s << prefix << "1199"_ba << "+551199"_ba;
    QTest::newRow("@ prefix twice") << u"@"_s << u"+55"_s << prefix << "+551199"_ba << "+55+551199"_ba;
    QTest::newRow("@ replace nothing") << u"@"_s << u"+55"_s << replace << "1199"_ba << ""_ba;
    QTest::newRow("@ empty number") << u"@"_s << u"+55"_s << prefix << ""_ba << ""_ba;
    QTest::newRow("1@2 inside @ never") << u"1@2"_s << u"0"_s << replace << "1552"_ba << ""_ba;
    QTest::newRow("one digit fixed") << u"5"_s << u"6"_s << replace << "5"_ba << "6"_ba;
    QTest::newRow("erase whole number") << u"@12@"_s << QString() << erase << "12"_ba << ""_ba;
    QTest::newRow("inside beyond capacity")
        << u"@"_s + QString(50, u'1') + u"@"_s << u"2"_s << replace << QByteArray(51, '1') << ""_ba;
    QTest::newRow("inside at capacity")
        << u"@"_s + QString(49, u'1') + u"@"_s << u"2"_s << replace << QByteArray(50, '1') << "21"_ba;
    QTest::newRow("regex leading zeros") << u"r^0+"_s << QString() << erase << "001123"_ba << "1123"_ba;
    QTest::newRow("regex whole match only") << u"r(1)(2)"_s << u"x"_s << replace << "3123"_ba << "3x3"_ba;
    QTest::newRow("regex no match") << u"r^9"_s << u"x"_s << replace << "3123"_ba << ""_ba;
    QTest::newRow("regex case-sensitive") << u"R^\\+"_s << u"00"_s << replace << "+351"_ba << "00351"_ba;
    QTest::newRow("regex empty number") << u"r^$"_s << u"112"_s << replace << ""_ba << "112"_ba;
    QTest::newRow("regex prefix") << u"r9$"_s << u"+"_s << prefix << "129"_ba << "+129"_ba;
    QTest::newRow("unknown action") << u"@12"_s << u"9"_s << 7 << "5512"_ba << ""_ba;
}

void TransformsTest::changeRule()
{
    QFETCH(QString, mask);
    QFETCH(QString, newNumber);
    QFETCH(int, action);
    QFETCH(QByteArray, working);
    QFETCH(QByteArray, result);
    const ChangeRule rule{mask, newNumber, action, false};
    QCOMPARE(rule.transform()->rewrite(working), result);
}

void TransformsTest::regexErrorsAreLogged()
{
    QStringList lines;
    DevLog::setSink([&lines](const QString &line) { lines.append(line); });
    const ChangeRule broken{u"r(12"_s, u"9"_s, ChangeRule::Replace, false};
    const auto transform = broken.transform();
    QCOMPARE(transform->rewrite("5512"_ba), QByteArray());
    QCOMPARE(transform->rewrite("12"_ba), QByteArray());
    DevLog::setSink({});
    // One line per number met, in the form "[E] regcomp CODE LENGTH TEXT".
    QCOMPARE(lines.size(), 2);
    QVERIFY2(QRegularExpression(u"^\\[E\\] regcomp \\d+ \\d+ \\S"_s).match(lines.first()).hasMatch(), qPrintable(lines.first()));
}

void TransformsTest::formatMasks_data()
{
    QTest::addColumn<QStringList>("masks"); // empty list: the defaults
    QTest::addColumn<QByteArray>("working");
    QTest::addColumn<QByteArray>("result");
    const QStringList defaults;
    QTest::newRow("13 characters mask 1") << defaults << "1111122223333"_ba << "(11111) 2222-3333"_ba;
    QTest::newRow("12 characters mask 2") << defaults << "111112223333"_ba << "(11111) 222-3333"_ba;
    QTest::newRow("10 characters mask 3") << defaults << "1122223333"_ba << "(11) 2222-3333"_ba;
    QTest::newRow("11 characters none") << defaults << "11222233334"_ba << ""_ba;
    QTest::newRow("plus counts") << defaults << "+551122223333"_ba << "(+5511) 2222-3333"_ba;
    QTest::newRow("same count earlier wins") << QStringList{u"A???"_s, u"B???"_s, QString()} << "123"_ba << "A123"_ba;
    QTest::newRow("only mask 3") << QStringList{QString(), QString(), u"?\?-??"_s} << "1234"_ba << "12-34"_ba;
    QTest::newRow("empty masks match nothing") << QStringList{QString(), QString(), u"?"_s} << ""_ba << ""_ba;
    QTest::newRow("other characters copied") << QStringList{u"é?<?>"_s, QString(), QString()} << "12"_ba << "é1<2>"_ba;
}

void TransformsTest::formatMasks()
{
    QFETCH(QStringList, masks);
    QFETCH(QByteArray, working);
    QFETCH(QByteArray, result);
    FormatMasks formats = FormatMasks::defaults();
    if (!masks.isEmpty())
        formats.masks = {masks.at(0), masks.at(1), masks.at(2)};
    QCOMPARE(formats.transform()->rewrite(working), result);
}

void TransformsTest::e164_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QByteArray>("working");
    QTest::addColumn<QByteArray>("result"); // empty: left alone
    QTest::newRow("national gains the country code") << u"DE"_s << "0301234567"_ba << "+49301234567"_ba;
    QTest::newRow("region in any case") << u"de"_s << "0301234567"_ba << "+49301234567"_ba;
    QTest::newRow("international prefix of the region") << u"DE"_s << "00442079460000"_ba << "+442079460000"_ba;
    QTest::newRow("foreign number keeps its country") << u"DE"_s << "+12015550123"_ba << ""_ba;
    QTest::newRow("already international") << u"US"_s << "+12015550123"_ba << ""_ba;
    QTest::newRow("national of another region") << u"US"_s << "2015550123"_ba << "+12015550123"_ba;
    QTest::newRow("service code") << u"DE"_s << "*31#"_ba << ""_ba;
    QTest::newRow("too short") << u"DE"_s << "12"_ba << ""_ba;
    QTest::newRow("empty") << u"DE"_s << ""_ba << ""_ba;
}

void TransformsTest::e164()
{
    QFETCH(QString, region);
    QFETCH(QByteArray, working);
    QFETCH(QByteArray, result);
    QVERIFY(E164Transform::isKnownRegion(region));
    QCOMPARE(E164Transform(region).rewrite(working), result);
}

QTEST_GUILESS_MAIN(TransformsTest)
#include "transforms_test.moc"
