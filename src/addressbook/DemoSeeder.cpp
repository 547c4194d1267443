#include "DemoSeeder.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QTimeZone>

#include <random>

namespace {

const char16_t *const kFirstNames[] = {u"Anna", u"Bruno", u"Carla", u"Diogo", u"Elena", u"Fábio", u"Greta", u"Hugo",
                                       u"Inês", u"João", u"Kasia", u"Luís", u"Marta", u"Nuno", u"Olga", u"Pedro",
                                       u"Quirin", u"Rita", u"Søren", u"Tânia", u"Ugo", u"Vera", u"Włodek", u"Xénia",
                                       u"Yuki", u"Zoë", u"anton", u"Łucja", u"Ørjan", u"Ümit"};
const char16_t *const kLastNames[] = {u"Almeida", u"Brandão", u"Costa", u"Duarte", u"Esteves", u"Fonseca", u"Gomes",
                                      u"Henriques", u"Irmão", u"Jardim", u"Kowalski", u"Lopes", u"Martins", u"Nunes",
                                      u"Oliveira", u"Pereira", u"Quintela", u"Rocha", u"Silva", u"Teixeira",
                                      u"Urbano", u"Vieira", u"Wójcik", u"Xavier", u"Yamada", u"Zúñiga", u"de Sá",
                                      u"Müller", u"Ødegaard", u"Šimek"};
const char16_t *const kCompanies[] = {u"Acme Lda.", u"Northwind & Sons", u"Blue Harbour", u"Café \"Central\"",
                                      u"Vennaro Labs", u"Ribeira Logistics", u"Olival <Group>"};
const char16_t *const kTitles[] = {u"Engineer", u"Manager", u"Designer", u"Accountant", u"Nurse", u"Teacher"};
const char16_t *const kDepartments[] = {u"Sales", u"R&D", u"Support", u"Finance"};
const char16_t *const kCities[] = {u"Lisboa", u"Porto", u"Braga", u"Kraków", u"Zürich", u"Göteborg"};
const char16_t *const kCountries[] = {u"Portugal", u"Poland", u"Switzerland", u"Sweden"};
const char16_t *const kGroups[] = {u"Family", u"Friends", u"Work", u"Sports club"};
const char16_t *const kServices[] = {u"AIM", u"MSN", u"Yahoo", u"ICQ", u"Jabber"};

QString pick(std::mt19937 &random, const char16_t *const *list, size_t size)
{
    return QString::fromUtf16(list[random() % size]);
}

#define PICK(list) pick(random, list, std::size(list))

QString digits(std::mt19937 &random, int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QChar(u'0' + char16_t(random() % 10));
    return text;
}

QDateTime dayAt(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0), QTimeZone::utc());
}

QByteArray photo(std::mt19937 &random, int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    const quint32 base = random();
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = qRgb(int((base >> 16) & 0xff) ^ (random() & 0x3f), (x * 255 / side) ^ (random() & 0x3f),
                           (y * 255 / side) ^ (random() & 0x3f));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

ABMultiValue multi(ABPropertyType type)
{
    return ABMultiValue(type);
}

void fillPerson(ABRecord &person, std::mt19937 &random, int index, const DemoSeeder::Options &options)
{
    const QString first = PICK(kFirstNames);
    const QString last = PICK(kLastNames);
    const bool company = index % 23 == 7;
    if (company) {
        person.setValue(kABPersonOrganizationProperty, PICK(kCompanies));
        person.setValue(kABPersonKindProperty, qint64(kABPersonKindOrganization));
    } else {
        person.setValue(kABPersonFirstNameProperty, first);
        person.setValue(kABPersonLastNameProperty, last);
        if (index % 3 == 0)
            person.setValue(kABPersonOrganizationProperty, PICK(kCompanies));
    }
    if (index % 4 == 0 && !company)
        person.setValue(kABPersonMiddleNameProperty, PICK(kFirstNames));
    if (index % 5 == 0 && !company) {
        person.setValue(kABPersonPrefixProperty, index % 2 ? QStringLiteral("Dr.") : QStringLiteral("Sr."));
        person.setValue(kABPersonSuffixProperty, QStringLiteral("Jr."));
    }
    if (index % 6 == 0) {
        person.setValue(kABPersonFirstNamePhoneticProperty, first.toLower());
        person.setValue(kABPersonLastNamePhoneticProperty, last.toLower());
    }
    if (index % 7 == 0)
        person.setValue(kABPersonNicknameProperty, first.left(3));
    if (index % 2 == 0) {
        person.setValue(kABPersonJobTitleProperty, PICK(kTitles));
        person.setValue(kABPersonDepartmentProperty, PICK(kDepartments));
    }
    if (index % 8 == 0)
        person.setValue(kABPersonNoteProperty, QStringLiteral("Met at the conference.\nLikes \"fado\" & jazz."));
    if (index % 3 != 1)
        person.setValue(kABPersonBirthdayProperty, dayAt(1950 + int(random() % 55), 1 + int(random() % 12), 1 + int(random() % 28)));

    ABMultiValue phones = multi(kABMultiStringPropertyType);
    phones.addValueAndLabel(QStringLiteral("+351 9%1").arg(digits(random, 8)), kABPersonPhoneMobileLabel);
    if (index % 2 == 0)
        phones.addValueAndLabel(QStringLiteral("21 %1").arg(digits(random, 7)), kABHomeLabel);
    if (index % 5 == 1)
        phones.addValueAndLabel(QStringLiteral("(555) %1-%2").arg(digits(random, 3), digits(random, 4)), std::nullopt);
    if (index % 9 == 2)
        phones.addValueAndLabel(digits(random, 9), QStringLiteral("boat"));
    if (index % 11 == 3)
        phones.addValueAndLabel(digits(random, 9), kABPersonPhoneWorkFAXLabel);
    person.setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));

    ABMultiValue emails = multi(kABMultiStringPropertyType);
    const QString user = (first + QLatin1Char('.') + last).toLower().remove(QLatin1Char(' '));
    emails.addValueAndLabel(QStringLiteral("%1%2@example.org").arg(user).arg(index), kABHomeLabel);
    if (index % 3 == 0)
        emails.addValueAndLabel(QStringLiteral("%1@work.example.com").arg(user), kABWorkLabel);
    if (index % 10 == 4)
        emails.addValueAndLabel(QStringLiteral("other%1@example.net").arg(index), std::nullopt);
    person.setValue(kABPersonEmailProperty, QVariant::fromValue(emails));

    if (index % 4 == 1) {
        ABMultiValue urls = multi(kABMultiStringPropertyType);
        urls.addValueAndLabel(QStringLiteral("https://example.org/~%1").arg(index), kABPersonHomePageLabel);
        if (index % 8 == 1)
            urls.addValueAndLabel(QStringLiteral("www.example.com/p%1").arg(index), QStringLiteral("blog"));
        person.setValue(kABPersonURLProperty, QVariant::fromValue(urls));
    }

    if (index % 2 == 1) {
        ABMultiValue addresses = multi(kABMultiDictionaryPropertyType);
        QVariantMap home{{kABPersonAddressStreetKey, QStringLiteral("Rua %1, %2").arg(PICK(kLastNames)).arg(1 + random() % 200)},
                         {kABPersonAddressCityKey, PICK(kCities)},
                         {kABPersonAddressZIPKey, QStringLiteral("%1-%2").arg(digits(random, 4), digits(random, 3))},
                         {kABPersonAddressCountryKey, PICK(kCountries)},
                         {kABPersonAddressCountryCodeKey, QStringLiteral("pt")}};
        addresses.addValueAndLabel(home, kABHomeLabel);
        if (index % 6 == 1) {
            QVariantMap work{{kABPersonAddressStreetKey, QStringLiteral("Av. da Liberdade %1\n3.º andar").arg(random() % 300)},
                             {kABPersonAddressCityKey, QStringLiteral("Lisboa")},
                             {kABPersonAddressStateKey, QStringLiteral("Lisboa")}};
            addresses.addValueAndLabel(work, index % 12 == 1 ? std::optional<QString>(QStringLiteral("studio")) : kABWorkLabel);
        }
        person.setValue(kABPersonAddressProperty, QVariant::fromValue(addresses));
    }

    if (index % 5 == 2) {
        ABMultiValue dates = multi(kABMultiDateTimePropertyType);
        dates.addValueAndLabel(dayAt(2000 + int(random() % 20), 1 + int(random() % 12), 1 + int(random() % 28)),
                               kABPersonAnniversaryLabel);
        if (index % 10 == 2)
            dates.addValueAndLabel(dayAt(2015, 6, 1), QStringLiteral("first day"));
        person.setValue(kABPersonDateProperty, QVariant::fromValue(dates));
    }

    if (index % 4 == 2) {
        ABMultiValue ims = multi(kABMultiDictionaryPropertyType);
        ims.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, PICK(kServices)},
                                         {kABPersonInstantMessageUsernameKey, user}},
                             kABHomeLabel);
        if (index % 8 == 2)
            ims.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, kABPersonInstantMessageServiceJabber},
                                             {kABPersonInstantMessageUsernameKey, user + QStringLiteral("@jabber.example.org")}},
                                 std::nullopt);
        person.setValue(kABPersonInstantMessageProperty, QVariant::fromValue(ims));
    }

    if (index % 6 == 3) {
        ABMultiValue related = multi(kABMultiStringPropertyType);
        related.addValueAndLabel(PICK(kFirstNames), QStringLiteral("_$!<Spouse>!$_"));
        person.setValue(kABPersonRelatedNamesProperty, QVariant::fromValue(related));
    }

    if (index % 7 == 4) {
        ABMultiValue social = multi(kABMultiDictionaryPropertyType);
        social.addValueAndLabel(QVariantMap{{kABPersonSocialProfileServiceKey, QStringLiteral("twitter")},
                                            {kABPersonSocialProfileUsernameKey, user},
                                            {kABPersonSocialProfileURLKey, QStringLiteral("https://twitter.com/%1").arg(user)}},
                                QStringLiteral("twitter"));
        person.setValue(kABPersonSocialProfileProperty, QVariant::fromValue(social));
    }

    if (options.photos)
        person.setImageData(photo(random, options.photoSide));
}

} // namespace

Result<int> DemoSeeder::seed(ABAddressBook &book, const Options &options)
{
    std::mt19937 random(options.seed);
    QList<ABRecordRef> sources{book.copyDefaultSource()};
    if (options.sources) {
        const std::pair<int, const char *> extra[] = {{kABSourceTypeExchange, "Exchange"},
                                                      {kABSourceTypeCardDAV, "iCloud"},
                                                      {kABSourceTypeLDAP, "Directory"}};
        for (const auto &[type, name] : extra) {
            QString error;
            ABRecordRef source = book.addSource(type, QString::fromLatin1(name), &error);
            if (!source)
                return Error{error};
            sources.append(source);
        }
    }

    QList<ABRecordRef> groups;
    for (const char16_t *name : kGroups) {
        ABRecordRef group = ABRecord::createGroup(sources.first());
        group->setValue(kABGroupNameProperty, QString::fromUtf16(name));
        book.addRecord(group);
        groups.append(group);
    }

    for (int i = 0; i < options.count; ++i) {
        // Every fifth person lives in one of the extra sources, when there are any.
        const ABRecordRef &source = sources.size() > 1 && i % 5 == 4 ? sources[1 + (i / 5) % (sources.size() - 1)] : sources.first();
        ABRecordRef person = ABRecord::createPerson(source);
        fillPerson(*person, random, i, options);
        book.addRecord(person);
        if (i % 3 != 2)
            groups[i % groups.size()]->addMember(person);
        if (i % 10 == 0)
            groups[(i + 1) % groups.size()]->addMember(person);
    }

    QString error;
    if (!book.save(&error))
        return Error{error};
    return options.count;
}
