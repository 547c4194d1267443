#include "SampleContacts.h"

#include <QBuffer>
#include <QImage>
#include <QTimeZone>

namespace {

ABMultiValue texts(std::initializer_list<std::pair<std::optional<QString>, QString>> entries)
{
    ABMultiValue values(kABMultiStringPropertyType);
    for (const auto &[label, value] : entries)
        values.addValueAndLabel(value, label);
    return values;
}

ABMultiValue dictionaries(std::initializer_list<std::pair<std::optional<QString>, QVariantMap>> entries)
{
    ABMultiValue values(kABMultiDictionaryPropertyType);
    for (const auto &[label, value] : entries)
        values.addValueAndLabel(value, label);
    return values;
}

QVariantMap im(const QString &service, const QString &user)
{
    return {{kABPersonInstantMessageServiceKey, service}, {kABPersonInstantMessageUsernameKey, user}};
}

void set(const ABRecordRef &person, ABPropertyID property, const QVariant &value)
{
    person->setValue(property, value);
}

const std::optional<QString> kNoLabel;

} // namespace

QByteArray SampleContacts::photo()
{
    QImage image(6, 4, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(40 * x, 60 * y, 200 - 20 * x));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

EntryList SampleContacts::fill(ABAddressBook &book)
{
    QList<ABRecordRef> people;

    ABRecordRef ana = ABRecord::createPerson();
    set(ana, kABPersonFirstNameProperty, QStringLiteral("Ana"));
    set(ana, kABPersonMiddleNameProperty, QStringLiteral("Sofia"));
    set(ana, kABPersonLastNameProperty, QStringLiteral("Marques"));
    set(ana, kABPersonNicknameProperty, QStringLiteral("Aninhas"));
    set(ana, kABPersonPrefixProperty, QStringLiteral("Dr."));
    set(ana, kABPersonFirstNamePhoneticProperty, QStringLiteral("Ana"));
    set(ana, kABPersonOrganizationProperty, QStringLiteral("Marques & Filhos <Lda>"));
    set(ana, kABPersonDepartmentProperty, QStringLiteral("Vendas"));
    set(ana, kABPersonJobTitleProperty, QStringLiteral("Diretora"));
    set(ana, kABPersonBirthdayProperty, QDateTime(QDate(1980, 5, 17), QTime(12, 0), QTimeZone::utc()));
    set(ana, kABPersonNoteProperty,
        QStringLiteral("Prefere café = chá \nSegunda linha\r\nTerceira\tlinha com um texto bastante comprido para a quebra"));
    set(ana, kABPersonPhoneProperty,
        QVariant::fromValue(texts({{kABPersonPhoneMainLabel, QStringLiteral("+351 210 000 001")},
                                   {kABPersonPhoneMobileLabel, QStringLiteral("+351 910 000 002")},
                                   {kABPersonPhoneHomeFAXLabel, QStringLiteral("210 000 003")},
                                   {kABPersonPhoneWorkFAXLabel, QStringLiteral("210 000 004")},
                                   {kABPersonPhonePagerLabel, QStringLiteral("210 000 005")},
                                   {kABWorkLabel, QStringLiteral("210 000 006")},
                                   {kABHomeLabel, QStringLiteral("210 000 007")},
                                   {kABOtherLabel, QStringLiteral("210 000 008")},
                                   {QStringLiteral("barco"), QStringLiteral("210 000 009")},
                                   {kNoLabel, QStringLiteral("210 000 010")}})));
    set(ana, kABPersonEmailProperty,
        QVariant::fromValue(texts({{kABWorkLabel, QStringLiteral("ana@marques.example")},
                                   {kABHomeLabel, QStringLiteral("ana.home@example.org")},
                                   {kABOtherLabel, QStringLiteral("ana.other@example.net")},
                                   {kNoLabel, QStringLiteral("ana.nolabel@example.com")}})));
    set(ana, kABPersonURLProperty,
        QVariant::fromValue(texts({{kABWorkLabel, QStringLiteral("www.marques.example/?a=1&b=2")},
                                   {kABHomeLabel, QStringLiteral("https://ana.example.org")},
                                   {kABPersonHomePageLabel, QStringLiteral("ana.example.org/home")},
                                   {QStringLiteral("blog"), QStringLiteral("blog.example.org")},
                                   {kNoLabel, QStringLiteral("nolabel.example.org")}})));
    set(ana, kABPersonAddressProperty,
        QVariant::fromValue(dictionaries(
            {{kABHomeLabel, {{kABPersonAddressStreetKey, QStringLiteral("Rua das Flores 12\n3.º esq.")},
                             {kABPersonAddressCityKey, QStringLiteral("Lisboa")},
                             {kABPersonAddressZIPKey, QStringLiteral("1200-195")},
                             {kABPersonAddressCountryKey, QStringLiteral("Portugal")}}},
             {kABWorkLabel, {{kABPersonAddressStreetKey, QStringLiteral("Avenida da Liberdade 1")},
                             {kABPersonAddressCityKey, QStringLiteral("Lisboa")},
                             {kABPersonAddressStateKey, QStringLiteral("Lisboa")}}},
             {QStringLiteral("casa de férias"), {{kABPersonAddressCityKey, QStringLiteral("Faro")}}},
             {kNoLabel, {{kABPersonAddressCityKey, QStringLiteral("Porto")}}}})));
    set(ana, kABPersonInstantMessageProperty,
        QVariant::fromValue(dictionaries({{kABHomeLabel, im(kABPersonInstantMessageServiceAIM, QStringLiteral("anaaim"))},
                                          {kABWorkLabel, im(kABPersonInstantMessageServiceMSN, QStringLiteral("ana@msn.example"))},
                                          {kABOtherLabel, im(kABPersonInstantMessageServiceYahoo, QStringLiteral("anayahoo"))},
                                          {kABHomeLabel, im(kABPersonInstantMessageServiceICQ, QStringLiteral("123456"))},
                                          {kNoLabel, im(kABPersonInstantMessageServiceAIM, QStringLiteral("nolabel"))}})));
    ana->setImageData(photo());
    people.append(ana);

    // First name outside ISO 8859-1.
    ABRecordRef zofia = ABRecord::createPerson();
    set(zofia, kABPersonFirstNameProperty, QStringLiteral("Žofia"));
    set(zofia, kABPersonLastNameProperty, QStringLiteral("Novák"));
    set(zofia, kABPersonPhoneProperty, QVariant::fromValue(texts({{kABPersonPhoneMobileLabel, QStringLiteral("+420 600 000 000")}})));
    people.append(zofia);

    // Known only by the organization.
    ABRecordRef acme = ABRecord::createPerson();
    set(acme, kABPersonOrganizationProperty, QStringLiteral("AC/DC Fãs"));
    set(acme, kABPersonEmailProperty, QVariant::fromValue(texts({{kNoLabel, QStringLiteral("fans@acdc.example")}})));
    people.append(acme);

    // No names at all: a department without an organization.
    ABRecordRef nobody = ABRecord::createPerson();
    set(nobody, kABPersonDepartmentProperty, QStringLiteral("Armazém"));
    people.append(nobody);

    for (const ABRecordRef &person : people)
        book.addRecord(person);
    ABRecordRef family = ABRecord::createGroup();
    family->setValue(kABGroupNameProperty, QStringLiteral("Família"));
    ABRecordRef work = ABRecord::createGroup();
    work->setValue(kABGroupNameProperty, QStringLiteral("Work"));
    book.addRecord(family);
    book.addRecord(work);
    family->addMember(ana);
    work->addMember(ana);
    work->addMember(zofia);
    book.save();

    EntryList rows;
    for (const ABRecordRef &person : people) {
        auto row = std::make_shared<EntryData>();
        row->name = person->copyCompositeName();
        row->recID = person->recordID();
        rows.append(row);
    }
    return rows;
}
