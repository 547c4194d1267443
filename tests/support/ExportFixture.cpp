#include "ExportFixture.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>

namespace {

using Labelled = std::pair<std::optional<QString>, QVariant>;

ABMultiValue multi(ABPropertyType type, const QList<Labelled> &entries)
{
    ABMultiValue values(type);
    for (const auto &[label, value] : entries)
        values.addValueAndLabel(value, label);
    return values;
}

QVariant day(int year, int month, int dayOfMonth)
{
    return QDateTime(QDate(year, month, dayOfMonth), QTime(12, 0), Qt::UTC);
}

QVariantMap address(const QString &street, const QString &city, const QString &state, const QString &zip, const QString &country)
{
    QVariantMap parts;
    const std::pair<QString, QString> all[] = {{kABPersonAddressStreetKey, street}, {kABPersonAddressCityKey, city},
                                               {kABPersonAddressStateKey, state}, {kABPersonAddressZIPKey, zip},
                                               {kABPersonAddressCountryKey, country}};
    for (const auto &[key, value] : all) {
        if (!value.isEmpty())
            parts.insert(key, value);
    }
    return parts;
}

QVariantMap im(const QString &service, const QString &user)
{
    QVariantMap entry{{kABPersonInstantMessageUsernameKey, user}};
    if (!service.isEmpty())
        entry.insert(kABPersonInstantMessageServiceKey, service);
    return entry;
}

void set(const ABRecordRef &person, ABPropertyID property, const QVariant &value)
{
    QString error;
    if (!person->setValue(property, value, &error))
        qFatal("fixture: %s", qPrintable(error));
}

void setMulti(const ABRecordRef &person, ABPropertyID property, ABPropertyType type, const QList<Labelled> &entries)
{
    set(person, property, QVariant::fromValue(multi(type, entries)));
}

ABRecordRef addPerson(ABAddressBook &book, const QString &first, const QString &last)
{
    ABRecordRef person = ABRecord::createPerson(book.copyDefaultSource());
    if (!first.isEmpty())
        set(person, kABPersonFirstNameProperty, first);
    if (!last.isEmpty())
        set(person, kABPersonLastNameProperty, last);
    book.addRecord(person);
    return person;
}

void fillAna(const ABRecordRef &ana)
{
    set(ana, kABPersonMiddleNameProperty, QStringLiteral("Maria"));
    set(ana, kABPersonPrefixProperty, QStringLiteral("Dra."));
    set(ana, kABPersonSuffixProperty, QStringLiteral("PhD"));
    set(ana, kABPersonNicknameProperty, QStringLiteral("Aninhas"));
    set(ana, kABPersonFirstNamePhoneticProperty, QStringLiteral("Ana"));
    set(ana, kABPersonLastNamePhoneticProperty, QStringLiteral("Soh-zah"));
    set(ana, kABPersonOrganizationProperty, QStringLiteral("Sousa & Filhos"));
    set(ana, kABPersonDepartmentProperty, QStringLiteral("Investigação"));
    set(ana, kABPersonJobTitleProperty, QStringLiteral("Chief \"Fun\" Officer"));
    set(ana, kABPersonBirthdayProperty, day(1980, 5, 17));
    set(ana, kABPersonNoteProperty, QStringLiteral("Line one \"quoted\"\nLine two <b>bold</b> & more"));
    setMulti(ana, kABPersonPhoneProperty, kABMultiStringPropertyType,
             {{kABPersonPhoneMainLabel, QStringLiteral("+351 210 000 001")},
              {kABPersonPhoneMobileLabel, QStringLiteral("+351 910 000 002")},
              {std::nullopt, QStringLiteral("999 unlabelled")},
              {kABPersonPhoneHomeFAXLabel, QStringLiteral("210 000 003")},
              {kABPersonPhoneWorkFAXLabel, QStringLiteral("210 000 004")},
              {kABPersonPhonePagerLabel, QStringLiteral("210 000 005")},
              {kABWorkLabel, QStringLiteral("210 000 006")},
              {kABHomeLabel, QStringLiteral("210 000 007")},
              {kABOtherLabel, QStringLiteral("210 000 008")},
              {QStringLiteral("boat"), QStringLiteral("210 000 009")}});
    setMulti(ana, kABPersonEmailProperty, kABMultiStringPropertyType,
             {{kABWorkLabel, QStringLiteral("ana@work.example")},
              {std::nullopt, QStringLiteral("ana@plain.example")},
              {QStringLiteral("school"), QStringLiteral("ana@school.example")}});
    setMulti(ana, kABPersonURLProperty, kABMultiStringPropertyType,
             {{kABPersonHomePageLabel, QStringLiteral("https://ana.example/?a=1&b=2")},
              {std::nullopt, QStringLiteral("https://unlabelled.example")},
              {QStringLiteral("blog"), QStringLiteral("https://blog.example")}});
    setMulti(ana, kABPersonDateProperty, kABMultiDateTimePropertyType,
             {{kABPersonAnniversaryLabel, day(2005, 9, 3)},
              {std::nullopt, day(2001, 1, 1)},
              {QStringLiteral("first met"), day(1999, 12, 31)}});
    setMulti(ana, kABPersonInstantMessageProperty, kABMultiDictionaryPropertyType,
             {{kABHomeLabel, im(kABPersonInstantMessageServiceAIM, QStringLiteral("ana.aim"))},
              {std::nullopt, im(kABPersonInstantMessageServiceICQ, QStringLiteral("unlabelled.icq"))},
              {kABWorkLabel, im(QString(), QStringLiteral("ana.noservice"))}});
    setMulti(ana, kABPersonAddressProperty, kABMultiDictionaryPropertyType,
             {{kABHomeLabel, address(QStringLiteral("Rua Augusta 10\n2.º esq."), QStringLiteral("Lisboa"), QString(),
                                     QStringLiteral("1100-053"), QStringLiteral("Portugal"))},
              {std::nullopt, address(QStringLiteral("Nowhere 1"), QStringLiteral("Nowhere"), QString(), QString(), QString())},
              {QStringLiteral("cottage"), address(QString(), QStringLiteral("Sintra"), QStringLiteral("Lisboa"), QString(), QString())}});
    ana->setImageData(ExportFixture::photoPng());
}

} // namespace

QByteArray ExportFixture::photoPng()
{
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, qRgb(x * 32, y * 32, 128));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

EntryList ExportFixture::rowsOf(const QList<ABRecordRef> &people)
{
    EntryList rows;
    for (const ABRecordRef &person : people) {
        auto row = std::make_shared<EntryData>();
        row->recID = person->recordID();
        row->name = person->copyCompositeName();
        rows.append(row);
    }
    return rows;
}

EntryList ExportFixture::build(ABAddressBook &book)
{
    ABRecordRef ana = addPerson(book, QStringLiteral("Ana"), QStringLiteral("Sousa"));
    fillAna(ana);

    ABRecordRef lukasz = addPerson(book, QStringLiteral("Łukasz"), QStringLiteral("Nowak"));
    set(lukasz, kABPersonNoteProperty, QStringLiteral("One line, with a comma"));
    setMulti(lukasz, kABPersonPhoneProperty, kABMultiStringPropertyType, {{kABPersonPhoneMobileLabel, QStringLiteral("+48 600 100 200")}});
    setMulti(lukasz, kABPersonEmailProperty, kABMultiStringPropertyType, {{kABHomeLabel, QStringLiteral("lukasz@example.pl")}});

    ABRecordRef zed = addPerson(book, QString(), QStringLiteral("Zed"));
    set(zed, kABPersonOrganizationProperty, QStringLiteral("Zed Corp"));
    setMulti(zed, kABPersonPhoneProperty, kABMultiStringPropertyType, {{kABWorkLabel, QStringLiteral("555-0100")}});

    ABRecordRef markup = addPerson(book, QStringLiteral("A&B"), QStringLiteral("<x>"));
    setMulti(markup, kABPersonURLProperty, kABMultiStringPropertyType,
             {{QStringLiteral("<script>"), QStringLiteral("https://x.example/\"><script>alert(1)</script>")}});

    ABRecordRef nameless = ABRecord::createPerson(book.copyDefaultSource());
    set(nameless, kABPersonNoteProperty, QStringLiteral("A person without any name"));
    book.addRecord(nameless);

    ABRecordRef vanishing = addPerson(book, QStringLiteral("Gone"), QStringLiteral("Away"));

    ABRecordRef friends = ABRecord::createGroup(book.copyDefaultSource());
    set(friends, kABGroupNameProperty, QStringLiteral("Friends"));
    ABRecordRef work = ABRecord::createGroup(book.copyDefaultSource());
    set(work, kABGroupNameProperty, QStringLiteral("Work & Play"));
    book.addRecord(friends);
    book.addRecord(work);
    QString error;
    if (!book.save(&error))
        qFatal("fixture: %s", qPrintable(error));
    friends->addMember(ana);
    friends->addMember(lukasz);
    work->addMember(ana);
    if (!book.save(&error))
        qFatal("fixture: %s", qPrintable(error));

    EntryList rows = rowsOf({ana, lukasz, vanishing, zed, markup, nameless});
    // One more row that is not selected: it must not be written.
    auto unselected = std::make_shared<EntryData>(*rows.first());
    unselected->selected = false;
    rows.append(unselected);

    book.removeRecord(vanishing);
    if (!book.save(&error))
        qFatal("fixture: %s", qPrintable(error));
    return rows;
}
