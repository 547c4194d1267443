#include "ImportValues.h"

#include <QStringDecoder>
#include <QTimeZone>

#include <array>
#include <utility>

QString ImportValues::markedLastName(const QString &last)
{
    return last + kMarker;
}

void ImportValues::appendMarker(const ABRecordRef &person)
{
    person->setValue(kABPersonLastNameProperty, markedLastName(person->copyText(kABPersonLastNameProperty)));
}

std::optional<QVariantMap> ImportValues::parseInstantMessage(const QString &text)
{
    static const std::array<std::pair<QString, QString>, 5> services{{
        {QStringLiteral(" (Yahoo)"), kABPersonInstantMessageServiceYahoo},
        {QStringLiteral(" (AIM)"), kABPersonInstantMessageServiceAIM},
        {QStringLiteral(" (Jabber)"), kABPersonInstantMessageServiceJabber},
        {QStringLiteral(" (MSN)"), kABPersonInstantMessageServiceMSN},
        {QStringLiteral(" (ICQ)"), kABPersonInstantMessageServiceICQ},
    }};
    for (const auto &[suffix, service] : services) {
        qsizetype at = text.indexOf(suffix, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        if (at == 0)
            return std::nullopt;
        return QVariantMap{{kABPersonInstantMessageServiceKey, service},
                           {kABPersonInstantMessageUsernameKey, text.left(at)}};
    }
    return std::nullopt;
}

std::optional<QDateTime> ImportValues::parseDate(const QString &text)
{
    QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(12, 0), QTimeZone::utc());
}

std::optional<QString> ImportValues::decodeText(QByteArrayView bytes, int charSet)
{
    if (charSet != 0)
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
