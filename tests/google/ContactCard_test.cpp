// The exchange's vCard layer: cards as servers send them, and the 3.0 cards we write.

#include "google/ContactCardReader.h"
#include "google/ContactCardWriter.h"
#include "support/SampleContacts.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// One line per value, so that a table can state what a card holds.
QStringList describe(const ContactCard &card)
{
    QStringList lines;
    auto add = [&](const QString &what, const QString &value, const QStringList &types, const QString &label) {
        lines.append(what + u' ' + value + u" ["_s + types.join(u',') + u']' + (label.isEmpty() ? QString() : u" label "_s + label));
    };
    if (!card.uid.isEmpty())
        lines.append(u"UID "_s + card.uid);
    if (!card.fullName.isEmpty())
        lines.append(u"FN "_s + card.fullName);
    if (!card.familyName.isEmpty() || !card.givenName.isEmpty() || !card.additionalName.isEmpty())
        lines.append(u"N "_s + card.familyName + u'|' + card.givenName + u'|' + card.additionalName);
    const std::pair<QString, QString> texts[] = {{u"NICKNAME"_s, card.nickname}, {u"ORG"_s, card.organization},
                                                 {u"DEPT"_s, card.department}, {u"TITLE"_s, card.title}, {u"NOTE"_s, card.note}};
    for (const auto &[what, value] : texts) {
        if (!value.isEmpty())
            lines.append(what + u' ' + value);
    }
    if (card.birthday.isValid())
        lines.append(u"BDAY "_s + card.birthday.toString(Qt::ISODate));
    for (const ContactCard::Value &v : card.phones)
        add(u"TEL"_s, v.text, v.types, v.label);
    for (const ContactCard::Value &v : card.emails)
        add(u"EMAIL"_s, v.text, v.types, v.label);
    for (const ContactCard::Value &v : card.urls)
        add(u"URL"_s, v.text, v.types, v.label);
    for (const ContactCard::Address &a : card.addresses)
        add(u"ADR"_s, QStringList{a.street, a.city, a.region, a.postcode, a.country}.join(u'|'), a.types, a.label);
    for (const ContactCard::Message &m : card.messages)
        add(u"IM"_s, m.service + u':' + m.user, m.types, m.label);
    if (!card.photo.isEmpty())
        lines.append(u"PHOTO "_s + QString::number(qHash(card.photo)));
    return lines;
}

QByteArray wrap(const QByteArray &body, const QByteArray &version = "3.0")
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}

} // namespace

class ContactCardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsServerForms_data();
    void readsServerForms();
    void photoForms_data();
    void photoForms();
    void refusesTextWithoutCard();
    void writesThreeZero();
    void foldsWithoutCuttingCharacters();
    void roundTrip();
};

void ContactCardTest::readsServerForms_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("type list") << wrap("TEL;TYPE=WORK,FAX:210\r\n") << QStringList{u"TEL 210 [work,fax]"_s};
    QTest::newRow("repeated type parameters") << wrap("TEL;type=work;type=fax:210\r\n") << QStringList{u"TEL 210 [work,fax]"_s};
    QTest::newRow("2.1 bare words") << wrap("TEL;WORK;FAX:210\r\n", "2.1") << QStringList{u"TEL 210 [work,fax]"_s};
    QTest::newRow("4.0 quoted list and tel URI")
        << wrap("TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+351-910\r\n", "4.0") << QStringList{u"TEL +351-910 [cell,voice]"_s};
    QTest::newRow("label after its value")
        << wrap("item1.TEL:9\r\nitem1.X-ABLabel:barco\r\n") << QStringList{u"TEL 9 [] label barco"_s};
    QTest::newRow("label before its value, other group")
        << wrap("ITEM2.X-ABLABEL:casa\r\nitem2.ADR;TYPE=HOME:;;Rua 1;Faro;;8000;PT\r\nitem3.EMAIL:a@b\r\n")
        << QStringList{u"EMAIL a@b []"_s, u"ADR Rua 1|Faro||8000|PT [home] label casa"_s};
    QTest::newRow("escaped separators")
        << wrap("N:O\\;Brien;Ana\\, Jr.;Maria;;\r\nFN:Ana O;Brien\r\nNOTE:um\\ndois\\, três\\\\\r\nORG:A\\;B;Vendas\r\n")
        << QStringList{u"FN Ana O;Brien"_s, u"N O;Brien|Ana, Jr.|Maria"_s, u"ORG A;B"_s, u"DEPT Vendas"_s,
                       u"NOTE um\ndois, três\\"_s};
    QTest::newRow("address parts join the street")
        << wrap("ADR;TYPE=WORK:Apartado 5;Bloco B;Rua 2\\nPiso 3;Porto;Norte;4000;Portugal\r\n")
        << QStringList{u"ADR Rua 2\nPiso 3\nBloco B\nApartado 5|Porto|Norte|4000|Portugal [work]"_s};
    QTest::newRow("folded 3.0 line cutting a character")
        << wrap("NOTE:caf\xC3\r\n \xA9 com\r\n\t leite\r\n") << QStringList{u"NOTE café com leite"_s};
    QTest::newRow("2.1 quoted-printable with soft break")
        << wrap("NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:caf=C3=A9=\r\n=20com leite\r\n", "2.1")
        << QStringList{u"NOTE café com leite"_s};
    QTest::newRow("2.1 latin-1 quoted-printable")
        << wrap("FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Jo=E3o\r\n", "2.1") << QStringList{u"FN João"_s};
    QTest::newRow("instant messages, duplicates and skipped services")
        << wrap("X-AIM;TYPE=HOME:anaaim\r\nIMPP;X-SERVICE-TYPE=AIM:aim:anaaim\r\nIMPP:xmpp:ana%40jabber.example\r\n"
                "IMPP;X-SERVICE-TYPE=Yahoo;TYPE=work:x-apple:anayahoo\r\nX-SKYPE:anaskype\r\nIMPP:skype:anaskype\r\n"
                "IMPP;X-SERVICE-TYPE=GoogleTalk:x-apple:ana\r\nX-ICQ:123\r\nitem1.X-MSN:ana@msn\r\nitem1.X-ABLabel:jogo\r\n")
        << QStringList{u"IM AIM:anaaim [home]"_s, u"IM Jabber:ana@jabber.example []"_s, u"IM Yahoo:anayahoo [work]"_s,
                       u"IM ICQ:123 []"_s, u"IM MSN:ana@msn [] label jogo"_s};
    QTest::newRow("birthday forms")
        << wrap("BDAY:19800517\r\n") << QStringList{u"BDAY 1980-05-17"_s};
    QTest::newRow("birthday with time") << wrap("BDAY:1980-05-17T00:00:00Z\r\n") << QStringList{u"BDAY 1980-05-17"_s};
    QTest::newRow("birthday without year is dropped") << wrap("BDAY:--0517\r\n", "4.0") << QStringList{};
    QTest::newRow("lower-case keywords, LF only, second card ignored")
        << QByteArray("begin:vcard\nversion:3.0\nuid:u-1\nfn:Ana\nend:vcard\nBEGIN:VCARD\nFN:Bia\nEND:VCARD\n")
        << QStringList{u"UID u-1"_s, u"FN Ana"_s};
}

void ContactCardTest::readsServerForms()
{
    QFETCH(QByteArray, card);
    QFETCH(QStringList, expected);
    Result<ContactCard> read = ContactCardReader::read(card);
    QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error()));
    QCOMPARE(describe(*read), expected);
}

void ContactCardTest::photoForms_data()
{
    const QByteArray base64 = SampleContacts::photo().toBase64();
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("address"); // a photo given by its web address instead
    QTest::newRow("3.0 ENCODING=b") << wrap("PHOTO;ENCODING=b;TYPE=PNG:" + base64 + "\r\n") << QString();
    QTest::newRow("3.0 folded") << wrap("PHOTO;ENCODING=b;TYPE=PNG:" + base64.left(30) + "\r\n " + base64.mid(30) + "\r\n") << QString();
    QTest::newRow("2.1 ENCODING=BASE64") << wrap("PHOTO;ENCODING=BASE64;TYPE=PNG:" + base64 + "\r\n\r\n", "2.1") << QString();
    QTest::newRow("2.1 bare BASE64") << wrap("PHOTO;PNG;BASE64:" + base64 + "\r\n", "2.1") << QString();
    QTest::newRow("4.0 data URI") << wrap("PHOTO:data:image/png;base64," + base64 + "\r\n", "4.0") << QString();
    QTest::newRow("3.0 data URI with escaped comma") << wrap("PHOTO;VALUE=URI:data:image/png;base64\\," + base64 + "\r\n") << QString();
    QTest::newRow("3.0 http address") << wrap("PHOTO;VALUE=uri:https://dav.example.org/p/1.jpg\r\n") << u"https://dav.example.org/p/1.jpg"_s;
    QTest::newRow("4.0 http address") << wrap("PHOTO;MEDIATYPE=image/jpeg:http://dav.example.org/p/1.jpg\r\n", "4.0")
                                      << u"http://dav.example.org/p/1.jpg"_s;
    QTest::newRow("other scheme, not fetched") << wrap("PHOTO;VALUE=uri:file:///etc/passwd\r\n") << QString();
}

void ContactCardTest::photoForms()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, address);
    Result<ContactCard> read = ContactCardReader::read(card);
    QVERIFY(read.ok());
    QCOMPARE(read->photoUrl, QUrl(address));
    // Only a photo held in the card is there at once.
    QCOMPARE(read->photo, address.isEmpty() && !card.contains("file:") ? SampleContacts::photo() : QByteArray());
}

void ContactCardTest::refusesTextWithoutCard()
{
    QVERIFY(!ContactCardReader::read("FN:Ana\r\n").ok());
    QVERIFY(!ContactCardReader::read("BEGIN:VCARD\r\nFN:Ana\r\n").ok());
    QVERIFY(!ContactCardReader::read(QByteArray()).ok());
}

void ContactCardTest::writesThreeZero()
{
    ContactCard card;
    card.uid = u"u-1"_s;
    card.givenName = u"Ana"_s;
    card.additionalName = u"Sofia"_s;
    card.familyName = u"O;Brien"_s;
    card.organization = u"A, B"_s;
    card.title = u"Diretora"_s;
    card.phones = {{u"210"_s, {u"work"_s, u"fax"_s}, {}}, {u"9"_s, {}, u"main"_s}};
    card.emails = {{u"a@b"_s, {u"home"_s}, {}}};
    card.addresses = {{u"Rua 1\nPiso 2"_s, u"Faro"_s, {}, u"8000"_s, u"PT"_s, {}, u"casa de férias"_s}};
    card.urls = {{u"https://a.example/?x=1"_s, {u"home-page"_s}, {}}};
    card.messages = {{u"AIM"_s, u"anaaim"_s, {u"home"_s}, {}}, {u"Skype"_s, u"skip"_s, {}, {}}};
    card.birthday = QDate(1980, 5, 17);
    card.note = u"um\ndois"_s;
    const QByteArray expected = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-1\r\nFN:Ana Sofia O\\;Brien\r\nN:O\\;Brien;Ana;Sofia;;\r\n"
                                "ORG:A\\, B\r\nTITLE:Diretora\r\nTEL;TYPE=WORK,FAX:210\r\nitem1.TEL:9\r\nitem1.X-ABLabel:main\r\n"
                                "EMAIL;TYPE=HOME:a@b\r\nitem2.ADR:;;Rua 1\\nPiso 2;Faro;;8000;PT\r\n"
                                "item2.X-ABLabel:casa de férias\r\nURL;TYPE=HOME-PAGE:https://a.example/?x=1\r\n"
                                "X-AIM;TYPE=HOME:anaaim\r\nBDAY:1980-05-17\r\nNOTE:um\\ndois\r\nEND:VCARD\r\n";
    QCOMPARE(ContactCardWriter::write(card), expected);
}

void ContactCardTest::foldsWithoutCuttingCharacters()
{
    ContactCard card;
    card.fullName = u"Ana"_s;
    card.note = QString(100, u'é') + QString(30, u'x');
    const QByteArray written = ContactCardWriter::write(card);
    const QList<QByteArray> lines = written.split('\n');
    for (const QByteArray &line : lines) {
        QVERIFY2(line.size() <= 76, line.constData()); // 75 bytes and the CR
        if (line.startsWith(' '))
            QVERIFY((uchar(line.at(1)) & 0xC0) != 0x80); // no continuation byte after the fold
    }
    QCOMPARE(ContactCardReader::read(written)->note, card.note);
}

void ContactCardTest::roundTrip()
{
    ContactCard card;
    card.uid = u"3f2a"_s;
    card.fullName = u"Žofia Nováková"_s;
    card.givenName = u"Žofia"_s;
    card.familyName = u"Nováková"_s;
    card.nickname = u"Žo"_s;
    card.department = u"R&D; lab"_s;
    card.phones = {{u"+420 600"_s, {u"cell"_s}, {}}, {u"1"_s, {u"home"_s, u"fax"_s}, {}}, {u"2"_s, {u"pager"_s}, {}}};
    card.emails = {{u"z@example.cz"_s, {}, u"škola"_s}};
    card.messages = {{u"Jabber"_s, u"z@jabber.cz"_s, {u"work"_s}, {}}, {u"ICQ"_s, u"42"_s, {}, u"old"_s}};
    card.photo = SampleContacts::photo();
    Result<ContactCard> read = ContactCardReader::read(ContactCardWriter::write(card));
    QVERIFY(read.ok());
    QCOMPARE(describe(*read), describe(card));
}

QTEST_GUILESS_MAIN(ContactCardTest)
#include "ContactCard_test.moc"
