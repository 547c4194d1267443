#include "ContactLabels.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABConstants.h"

#include <QList>

namespace {

using Family = ContactLabels::Family;

struct Row {
    QString label;       // the address book's stored label
    QStringList types;   // what it is on the card
};

// Standard labels with a type of their own, by family. "other" has none: a value without a
// type reads back as other.
const QList<Row> &rowsOf(Family family)
{
    static const QList<Row> phone{
        {kABWorkLabel, {QStringLiteral("work")}},
        {kABHomeLabel, {QStringLiteral("home")}},
        {kABPersonPhoneMobileLabel, {QStringLiteral("cell")}},
        {kABPersonPhoneHomeFAXLabel, {QStringLiteral("home"), QStringLiteral("fax")}},
        {kABPersonPhoneWorkFAXLabel, {QStringLiteral("work"), QStringLiteral("fax")}},
        {kABPersonPhonePagerLabel, {QStringLiteral("pager")}},
    };
    static const QList<Row> email{
        {kABWorkLabel, {QStringLiteral("work")}},
        {kABHomeLabel, {QStringLiteral("home")}},
    };
    static const QList<Row> url{
        {kABWorkLabel, {QStringLiteral("work")}},
        {kABPersonHomePageLabel, {QStringLiteral("home-page")}},
        {kABHomeLabel, {QStringLiteral("home")}},
    };
    switch (family) {
    case Family::Phone: return phone;
    case Family::Url: return url;
    case Family::Email:
    case Family::Message:
    case Family::Address: break;
    }
    return email;
}

QString phoneLabel(const QStringList &types)
{
    if (types.contains(QLatin1String("fax")))
        return types.contains(QLatin1String("work")) ? kABPersonPhoneWorkFAXLabel : kABPersonPhoneHomeFAXLabel;
    if (types.contains(QLatin1String("pager")))
        return kABPersonPhonePagerLabel;
    if (types.contains(QLatin1String("cell")))
        return kABPersonPhoneMobileLabel;
    return {};
}

QString urlLabel(const QStringList &types)
{
    if (types.contains(QLatin1String("home-page")) || types.contains(QLatin1String("homepage")))
        return kABPersonHomePageLabel;
    // Kinds of link with no label of their own keep their name.
    for (const char *kind : {"blog", "ftp", "profile"}) {
        if (types.contains(QLatin1String(kind)))
            return QString::fromLatin1(kind);
    }
    return {};
}

struct ServiceRow {
    QString service;
    QString property;
    QString scheme;
};

const QList<ServiceRow> &services()
{
    static const QList<ServiceRow> rows{
        {kABPersonInstantMessageServiceAIM, QStringLiteral("X-AIM"), QStringLiteral("aim")},
        {kABPersonInstantMessageServiceYahoo, QStringLiteral("X-YAHOO"), QStringLiteral("ymsgr")},
        {kABPersonInstantMessageServiceJabber, QStringLiteral("X-JABBER"), QStringLiteral("xmpp")},
        {kABPersonInstantMessageServiceMSN, QStringLiteral("X-MSN"), QStringLiteral("msnim")},
        {kABPersonInstantMessageServiceICQ, QStringLiteral("X-ICQ"), QStringLiteral("icq")},
    };
    return rows;
}

template <typename Match>
const ServiceRow *findService(Match match)
{
    for (const ServiceRow &row : services()) {
        if (match(row))
            return &row;
    }
    return nullptr;
}

} // namespace

ContactLabels::Outgoing ContactLabels::toCard(Family family, const std::optional<QString> &label)
{
    if (!label || label->isEmpty() || *label == kABOtherLabel)
        return {};
    for (const Row &row : rowsOf(family)) {
        if (row.label == *label)
            return {row.types, {}};
    }
    // "main" and the user's own labels: their text.
    return {{}, ABAddressBook::copyLocalizedLabel(*label)};
}

QString ContactLabels::fromCard(Family family, const QStringList &types, const QString &label)
{
    if (!label.isEmpty())
        return label;
    QString special;
    if (family == Family::Phone)
        special = phoneLabel(types);
    else if (family == Family::Url)
        special = urlLabel(types);
    else if (family == Family::Email && (types.contains(QLatin1String("cell")) || types.contains(QLatin1String("mobile"))))
        special = kABPersonPhoneMobileLabel;
    if (!special.isEmpty())
        return special;
    if (types.contains(QLatin1String("work")))
        return kABWorkLabel;
    if (types.contains(QLatin1String("home")))
        return kABHomeLabel;
    return kABOtherLabel;
}

std::optional<QString> ContactLabels::propertyForService(const QString &service)
{
    const ServiceRow *row = findService([&](const ServiceRow &r) { return r.service.compare(service, Qt::CaseInsensitive) == 0; });
    return row ? std::optional<QString>(row->property) : std::nullopt;
}

std::optional<QString> ContactLabels::serviceForProperty(const QString &property)
{
    const ServiceRow *row = findService([&](const ServiceRow &r) { return r.property.compare(property, Qt::CaseInsensitive) == 0; });
    return row ? std::optional<QString>(row->service) : std::nullopt;
}

std::optional<QString> ContactLabels::serviceForScheme(const QString &scheme)
{
    const ServiceRow *row = findService([&](const ServiceRow &r) { return r.scheme.compare(scheme, Qt::CaseInsensitive) == 0; });
    return row ? std::optional<QString>(row->service) : std::nullopt;
}

std::optional<QString> ContactLabels::serviceNamed(const QString &name)
{
    QString plain = name.trimmed();
    plain.remove(QLatin1Char('!'));
    const ServiceRow *row = findService([&](const ServiceRow &r) { return r.service.compare(plain, Qt::CaseInsensitive) == 0; });
    return row ? std::optional<QString>(row->service) : std::nullopt;
}
