// The contacts account against a real CardDAV server (Radicale on loopback): discovery,
// sign-in failures, export of a fixed address book, listing, import into a fresh address book
// compared field by field, the marker, and a server that refuses one card.

#include "google/CardDavClient.h"
#include "google/GCSessionWaiter.h"
#include "shell/AppData.h"
#include "support/RadicaleServer.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

Result<void> login(GCSession &session, const QUrl &url, const QString &password = QString::fromLatin1(RadicaleServer::kPassword))
{
    return GCSessionWaiter(session).login(url, QString::fromLatin1(RadicaleServer::kUser), password);
}

ABMultiValue texts(const QList<std::pair<std::optional<QString>, QString>> &entries)
{
    ABMultiValue values(kABMultiStringPropertyType);
    for (const auto &[label, value] : entries)
        values.addValueAndLabel(value, label);
    return values;
}

// A person without family name, with a Skype account that must stay behind.
ABRecordID addZe(ABAddressBook &book)
{
    ABRecordRef ze = ABRecord::createPerson();
    ze->setValue(kABPersonFirstNameProperty, u"Zé"_s);
    ze->setValue(kABPersonPhoneProperty, QVariant::fromValue(texts({{kABPersonPhoneWorkFAXLabel, u"219 999"_s}})));
    ABMultiValue messages(kABMultiDictionaryPropertyType);
    messages.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, u"Skype"_s}, {kABPersonInstantMessageUsernameKey, u"ze.skype"_s}},
                              kABHomeLabel);
    messages.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, kABPersonInstantMessageServiceJabber},
                                          {kABPersonInstantMessageUsernameKey, u"ze@jabber.example"_s}},
                              kABWorkLabel);
    ze->setValue(kABPersonInstantMessageProperty, QVariant::fromValue(messages));
    book.addRecord(ze);
    book.save();
    return ze->recordID();
}

QList<int> allIDs(ABAddressBook &book)
{
    QList<int> ids;
    for (const ABRecordRef &person : book.copyArrayOfAllPeople())
        ids.append(person->recordID());
    return ids;
}

// What the exchange keeps of a label: "main" travels as its text, no label comes back as other.
std::optional<QString> exchanged(const std::optional<QString> &label)
{
    if (!label)
        return kABOtherLabel;
    if (*label == kABPersonPhoneMainLabel)
        return u"main"_s;
    return label;
}

// The values with their labels as the exchange keeps them, in order (the server may reorder
// properties of different names, so the order of the whole list is not compared).
QStringList exchangedValues(const ABRecord &person, ABPropertyID property, bool original)
{
    QStringList values;
    const ABMultiValue multiValue = person.copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : multiValue.entries()) {
        const QVariantMap map = entry.value.toMap();
        QString text = entry.value.toString();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            text += it.key() + u'=' + it.value().toString() + u';';
        values.append(text + u" / "_s + (original ? exchanged(entry.label) : entry.label).value_or(QString()));
    }
    values.sort();
    return values;
}

ABRecordRef personNamed(ABAddressBook &book, const QString &first)
{
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        if (person->copyText(kABPersonFirstNameProperty) == first)
            return person;
    }
    return nullptr;
}

} // namespace

class CardDavExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discovery_data();
    void discovery();
    void refusedSignIn();
    void exchange();
    void serverRefusesOneCard();
};

void CardDavExchangeTest::discovery_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("server root, through the well-known address") << u"/"_s;
    QTest::newRow("principal") << u"/alice/"_s;
    QTest::newRow("the address book itself") << u"/alice/vennaro/"_s;
}

void CardDavExchangeTest::discovery()
{
    QFETCH(QString, path);
    RadicaleServer server;
    QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
    GCSession session;
    QVERIFY(!session.isLinked());
    const Result<void> result = login(session, server.baseUrl().resolved(QUrl(path)));
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error()));
    QVERIFY(session.isLinked());
    QCOMPARE(session.addressBook(), server.bookUrl());
}

void CardDavExchangeTest::refusedSignIn()
{
    RadicaleServer server;
    QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
    GCSession session;
    const Result<void> result = login(session, server.baseUrl(), u"wrong"_s);
    QVERIFY(!result.ok());
    QVERIFY2(CardDavClient::isLoginRefusal(result.error()), qPrintable(result.error()));
    QVERIFY(!session.isLinked());
}

void CardDavExchangeTest::exchange()
{
    RadicaleServer server;
    QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
    auto exporting = std::make_unique<TestEnvironment>();
    ABAddressBookRef book = exporting->open();
    SampleContacts::fill(*book);
    addZe(*book);
    const QList<int> ids = allIDs(*book);

    GCSession session;
    QVERIFY(login(session, server.bookUrl()).ok());
    GCSessionWaiter waiter(session);
    QList<double> progress;
    waiter.onProgress = [&progress](double value) { progress.append(value); };
    const GCSessionDelegate::RunResult exported = waiter.exportContacts(ids);
    QCOMPARE(exported.done, ids.size());
    QCOMPARE(exported.failed, 0);
    QVERIFY(exported.error.isEmpty());
    QCOMPARE(progress.size(), ids.size());
    QCOMPARE(progress.last(), 1.0);

    const QList<QByteArray> stored = server.storedCards();
    QCOMPARE(stored.size(), ids.size());
    // The server stores the cards re-serialized, names in capitals.
    const QByteArray all = stored.join().toLower();
    QVERIFY(all.contains("tel;type=work,fax:219 999"));
    QVERIFY(all.contains("x-ablabel:barco"));
    QVERIFY(all.contains("x-jabber;type=work:ze@jabber.example"));
    QVERIFY(!all.contains("ze.skype"));

    // Listing: every contact with a name, sorted, ticked.
    const Result<EntryList> listed = waiter.fetch();
    QVERIFY(listed.ok());
    QStringList names;
    for (const EntryDataRef &row : *listed) {
        names.append(row->name);
        QVERIFY(row->selected);
        QVERIFY(!row->identifier.isEmpty());
    }
    // The address book sorts by last name: a contact without one by its name.
    QCOMPARE(names, QStringList({u"AC/DC Fãs"_s, u"Ana Sofia Marques"_s, u"Žofia Novák"_s, u"Zé"_s}));

    // Import into a fresh address book, with the marker on.
    const ABRecordRef ana = personNamed(*book, u"Ana"_s);
    const QByteArray anaPhoto = ana->copyImageData(); // read while its address book is there
    book.reset();
    exporting.reset();
    TestEnvironment importing;
    AppData::sharedInstance().setAddMarker(1);
    const GCSessionDelegate::RunResult imported = waiter.importContacts(session.fetchedIdentifiers());
    QCOMPARE(imported.done, ids.size());
    QVERIFY(imported.error.isEmpty());

    ABAddressBookRef fresh = importing.open();
    QCOMPARE(fresh->personCount(), ids.size());
    const ABRecordRef ze = personNamed(*fresh, u"Zé"_s);
    QVERIFY(ze);
    QCOMPARE(ze->copyText(kABPersonLastNameProperty), u"(*)"_s);
    QCOMPARE(ze->copyMultiValue(kABPersonPhoneProperty).copyLabelAtIndex(0), kABPersonPhoneWorkFAXLabel);
    QCOMPARE(ze->copyMultiValue(kABPersonInstantMessageProperty).count(), 1);

    const ABRecordRef back = personNamed(*fresh, u"Ana"_s);
    QVERIFY(back);
    QCOMPARE(back->copyText(kABPersonLastNameProperty), ana->copyText(kABPersonLastNameProperty) + u" (*)"_s);
    for (ABPropertyID property : {kABPersonMiddleNameProperty, kABPersonNicknameProperty, kABPersonOrganizationProperty,
                                  kABPersonDepartmentProperty, kABPersonJobTitleProperty})
        QCOMPARE(back->copyText(property), ana->copyText(property));
    QCOMPARE(back->copyValue(kABPersonBirthdayProperty), ana->copyValue(kABPersonBirthdayProperty));
    // A carriage return cannot travel in a vCard text; the line breaks do.
    QCOMPARE(back->copyText(kABPersonNoteProperty), ana->copyText(kABPersonNoteProperty).remove(u'\r'));
    for (ABPropertyID property : {kABPersonPhoneProperty, kABPersonEmailProperty, kABPersonURLProperty,
                                  kABPersonAddressProperty, kABPersonInstantMessageProperty}) {
        QCOMPARE(exchangedValues(*back, property, false), exchangedValues(*ana, property, true));
    }
    QCOMPARE(QImage::fromData(back->copyImageData()).size(), QImage::fromData(anaPhoto).size());
    // Prefix and phonetic names are not exchanged.
    QVERIFY(!back->copyValue(kABPersonPrefixProperty).isValid());
}

void CardDavExchangeTest::serverRefusesOneCard()
{
    // Request bodies over 60 kB are refused (413): one person's photo makes the card too big.
    RadicaleServer server(60000);
    QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
    TestEnvironment env;
    ABAddressBookRef book = env.open();
    QImage noise(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 256, (x * y * 31) % 256, (x + y * 13) % 256));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "PNG");
    QList<int> ids;
    for (const QString &name : {u"Alba"_s, u"Bruno"_s, u"Carla"_s}) {
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, name);
        if (name == u"Bruno"_s)
            person->setImageData(png);
        book->addRecord(person);
        book->save();
        ids.append(person->recordID());
    }
    book.reset();

    GCSession session;
    QVERIFY(login(session, server.baseUrl()).ok());
    const GCSessionDelegate::RunResult exported = GCSessionWaiter(session).exportContacts(ids);
    QCOMPARE(exported.done, 2);
    QCOMPARE(exported.failed, 1);
    QVERIFY(exported.error.isEmpty());
    QCOMPARE(server.storedCards().size(), 2);
}

QTEST_GUILESS_MAIN(CardDavExchangeTest)
#include "carddav_exchange_test.moc"
