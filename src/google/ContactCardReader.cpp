#include "ContactCardReader.h"

#include "ContactLabels.h"
#include "formats/vcard/QuotedPrintable.h"
#include "formats/vcard/VCardLines.h"
#include "platform/DevLog.h"

#include <QHash>
#include <QUrl>

namespace {

bool isQuotedPrintable(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

// Physical lines joined into logical ones: folding (a leading blank or TAB) of every version,
// and the soft line breaks of 2.1 quoted-printable values. Folding works on bytes, so a UTF-8
// character cut by a fold comes back whole.
QStringList unfold(const QByteArray &text)
{
    QList<QByteArray> lines;
    for (QByteArray raw : text.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const bool folded = raw.front() == ' ' || raw.front() == '\t';
        const bool softBreak = !lines.isEmpty() && isQuotedPrintable(lines.last()) && lines.last().endsWith('=');
        if (softBreak)
            lines.last().chop(1);
        if (!lines.isEmpty() && folded)
            lines.last() += raw.mid(1);
        else if (softBreak)
            lines.last() += raw;
        else
            lines.append(raw);
    }
    QStringList decoded;
    decoded.reserve(lines.size());
    for (const QByteArray &line : std::as_const(lines))
        decoded.append(QString::fromUtf8(line));
    return decoded;
}

QString unquoted(QString text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

// The first colon outside double quotes ends the name and parameters.
qsizetype valueStart(const QString &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (line[i] == QLatin1Char(':') && !quoted)
            return i;
    }
    return -1;
}

struct Property {
    QString group;  // lower case
    QString name;   // upper case
    QStringList types;
    QHash<QString, QString> parameters; // upper-case names
    QString value;  // raw, escapes still in place

    QString parameter(const char *name) const { return parameters.value(QString::fromLatin1(name)); }
    QString text() const { return VCardLines::splitValue(value, false).value(0); }
    QStringList parts() const { return VCardLines::splitValue(value, true); }
};

std::optional<Property> parseProperty(const QString &line)
{
    const qsizetype colon = valueStart(line);
    if (colon <= 0)
        return std::nullopt;
    Property property;
    QStringList names = line.left(colon).split(QLatin1Char(';'));
    QString name = names.takeFirst();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        property.group = name.left(dot).toLower();
        name.remove(0, dot + 1);
    }
    property.name = name.toUpper();
    for (const QString &parameter : std::as_const(names)) {
        const qsizetype equals = parameter.indexOf(QLatin1Char('='));
        if (equals < 0) {
            // 2.1 writes bare words: "TEL;WORK;FAX", "PHOTO;BASE64", "NOTE;QUOTED-PRINTABLE".
            const QString word = parameter.toUpper();
            if (word == QLatin1String("QUOTED-PRINTABLE") || word == QLatin1String("BASE64") || word == QLatin1String("B"))
                property.parameters.insert(QStringLiteral("ENCODING"), word);
            else
                property.types.append(parameter.toLower());
            continue;
        }
        const QString key = parameter.left(equals).trimmed().toUpper();
        const QString value = unquoted(parameter.mid(equals + 1).trimmed());
        if (key == QLatin1String("TYPE")) {
            for (const QString &type : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                property.types.append(unquoted(type).trimmed().toLower());
        } else {
            property.parameters.insert(key, value);
        }
    }
    property.value = line.mid(colon + 1);
    if (property.parameter("ENCODING").compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0) {
        const QByteArray bytes = QuotedPrintable::decode(property.value.toUtf8());
        const bool latin1 = property.parameter("CHARSET").compare(QLatin1String("ISO-8859-1"), Qt::CaseInsensitive) == 0;
        property.value = latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }
    return property;
}

QDate parseDate(const QString &text)
{
    // "1980-05-17", "19800517", "1980-05-17T00:00:00Z"; 4.0 dates without a year ("--0517")
    // cannot be kept.
    const QString day = text.trimmed().left(10);
    QDate date = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(text.trimmed().left(8), QStringLiteral("yyyyMMdd"));
    return date;
}

// The image of a PHOTO held in the card; its web address (fetched later) otherwise.
void readPhoto(const Property &property, ContactCard &card)
{
    const QString encoding = property.parameter("ENCODING").toUpper();
    if (encoding == QLatin1String("B") || encoding == QLatin1String("BASE64")) {
        card.photo = QByteArray::fromBase64(property.value.toLatin1());
        return;
    }
    // "data:image/jpeg;base64,…", also as some servers escape it in 3.0: "base64\,".
    QString uri = property.value.trimmed();
    uri.replace(QLatin1String("\\,"), QLatin1String(","));
    if (uri.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const qsizetype comma = uri.indexOf(QLatin1Char(','));
        if (comma < 0)
            return;
        const QStringView header = QStringView(uri).left(comma);
        const QByteArray data = uri.mid(comma + 1).toLatin1();
        card.photo = header.contains(QLatin1String(";base64"), Qt::CaseInsensitive) ? QByteArray::fromBase64(data)
                                                                                   : QByteArray::fromPercentEncoding(data);
        return;
    }
    const QUrl address(uri, QUrl::StrictMode);
    if (address.isValid() && (address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https")))
        card.photoUrl = address;
    else
        DevLog::log(QStringLiteral("PHOTO not understood: %1").arg(uri.left(80)));
}

// An instant message of an exchanged service, from X-AIM … or IMPP; none for other services.
std::optional<ContactCard::Message> readMessage(const Property &property)
{
    ContactCard::Message message{{}, {}, property.types, {}};
    if (std::optional<QString> named = ContactLabels::serviceForProperty(property.name)) {
        message.service = *named;
        message.user = property.text();
    } else {
        const QString value = property.text();
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        const QString scheme = colon > 0 ? value.left(colon) : QString();
        std::optional<QString> service = ContactLabels::serviceForScheme(scheme);
        if (!service)
            service = ContactLabels::serviceNamed(property.parameter("X-SERVICE-TYPE"));
        if (!service) {
            DevLog::log(QStringLiteral("IM not imported: %1").arg(value.left(80)));
            return std::nullopt;
        }
        message.service = *service;
        message.user = QUrl::fromPercentEncoding(value.mid(colon + 1).toUtf8());
    }
    if (message.user.isEmpty())
        return std::nullopt;
    return message;
}

class Reader {
public:
    void take(const Property &property);
    ContactCard finish();

private:
    template <typename T>
    void add(QList<T> &list, T value, const QString &group)
    {
        list.append(std::move(value));
        if (!group.isEmpty())
            m_grouped.append({group, list.size() - 1, &list});
    }
    void addValue(QList<ContactCard::Value> &list, const Property &property);

    ContactCard m_card;
    QHash<QString, QString> m_labels; // X-ABLabel text by group
    // A value of a group, to be labelled once the whole card is read.
    struct Pending {
        QString group;
        qsizetype index;
        void *list;
    };
    QList<Pending> m_grouped;
};

void Reader::addValue(QList<ContactCard::Value> &list, const Property &property)
{
    const QString text = property.text().trimmed();
    if (!text.isEmpty())
        add(list, ContactCard::Value{text, property.types, {}}, property.group);
}

void Reader::take(const Property &property)
{
    const QString &name = property.name;
    if (name == QLatin1String("UID")) {
        m_card.uid = property.text().trimmed();
    } else if (name == QLatin1String("FN")) {
        m_card.fullName = property.text();
    } else if (name == QLatin1String("N")) {
        const QStringList parts = property.parts();
        m_card.familyName = parts.value(0);
        m_card.givenName = parts.value(1);
        m_card.additionalName = parts.value(2);
    } else if (name == QLatin1String("NICKNAME")) {
        m_card.nickname = property.text();
    } else if (name == QLatin1String("ORG")) {
        const QStringList parts = property.parts();
        m_card.organization = parts.value(0);
        m_card.department = parts.value(1);
    } else if (name == QLatin1String("TITLE")) {
        m_card.title = property.text();
    } else if (name == QLatin1String("NOTE")) {
        m_card.note = property.text();
    } else if (name == QLatin1String("BDAY")) {
        m_card.birthday = parseDate(property.text());
    } else if (name == QLatin1String("TEL")) {
        // 4.0 writes numbers as URIs: "tel:+1-555-0100".
        Property number = property;
        if (number.value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number.value.remove(0, 4);
        addValue(m_card.phones, number);
    } else if (name == QLatin1String("EMAIL")) {
        addValue(m_card.emails, property);
    } else if (name == QLatin1String("URL")) {
        addValue(m_card.urls, property);
    } else if (name == QLatin1String("ADR")) {
        const QStringList parts = property.parts();
        QStringList street;
        for (int part : {2, 1, 0}) {
            if (!parts.value(part).isEmpty())
                street.append(parts.value(part));
        }
        ContactCard::Address address{street.join(QLatin1Char('\n')), parts.value(3), parts.value(4), parts.value(5),
                                     parts.value(6), property.types, {}};
        add(m_card.addresses, std::move(address), property.group);
    } else if (name == QLatin1String("PHOTO")) {
        readPhoto(property, m_card);
    } else if (name == QLatin1String("X-ABLABEL")) {
        if (!property.group.isEmpty())
            m_labels.insert(property.group, property.text());
    } else if (name == QLatin1String("IMPP") || ContactLabels::serviceForProperty(name)) {
        std::optional<ContactCard::Message> message = readMessage(property);
        if (!message)
            return;
        // Cards often carry the same account as X-AIM and as IMPP.
        for (const ContactCard::Message &known : std::as_const(m_card.messages)) {
            if (known.service == message->service && known.user == message->user)
                return;
        }
        add(m_card.messages, std::move(*message), property.group);
    }
}

ContactCard Reader::finish()
{
    // A group's X-ABLabel may come before or after its property.
    for (const Pending &pending : std::as_const(m_grouped)) {
        const QString label = m_labels.value(pending.group);
        if (label.isEmpty())
            continue;
        if (pending.list == &m_card.addresses)
            m_card.addresses[pending.index].label = label;
        else if (pending.list == &m_card.messages)
            m_card.messages[pending.index].label = label;
        else
            (*static_cast<QList<ContactCard::Value> *>(pending.list))[pending.index].label = label;
    }
    return std::move(m_card);
}

} // namespace

Result<ContactCard> ContactCardReader::read(const QByteArray &vcard)
{
    const QStringList lines = unfold(vcard);
    Reader reader;
    bool open = false;
    for (const QString &line : lines) {
        std::optional<Property> property = parseProperty(line);
        if (!property)
            continue;
        if (property->name == QLatin1String("BEGIN") && property->value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            open = true;
        } else if (property->name == QLatin1String("END") && open) {
            return reader.finish();
        } else if (open) {
            reader.take(*property);
        }
    }
    return Error{QStringLiteral("The card has no BEGIN:VCARD … END:VCARD.")};
}
