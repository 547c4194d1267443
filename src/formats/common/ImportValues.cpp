#include "ImportValues.h"

#include "platform/AsciiText.h"
#include "platform/LargePages.h"

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

QDate ImportValues::dayFromText(const QString &text, bool dashes)
{
    const qsizetype monthAt = dashes ? 5 : 4;
    const qsizetype dayAt = dashes ? 8 : 6;
    auto number = [&text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (text.size() == dayAt + 2 && (!dashes || (text[4] == u'-' && text[7] == u'-'))) {
        const int year = number(0, 4);
        const int month = number(monthAt, 2);
        const int day = number(dayAt, 2);
        // Year 0 does not exist; Qt's parser has its own view of it.
        if (year > 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(text, dashes ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyyMMdd"));
}

std::optional<QDateTime> ImportValues::parseDate(const QString &text)
{
    QDate date = dayFromText(text, true);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(12, 0), QTimeZone::utc());
}

std::optional<QString> ImportValues::decodeText(QByteArrayView bytes, int charSet)
{
    // ASCII, most values, reads the same in both character sets.
    if (charSet != 0 || AsciiText::isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // Decoded into a buffer made here, so that the text of a whole file may have large pages.
    QString text(decoder.requiredSpace(bytes.size()), Qt::Uninitialized);
    LargePages::advise(text.data(), text.size() * qsizetype(sizeof(QChar)));
    const QChar *end = decoder.appendToBuffer(text.data(), bytes);
    if (decoder.hasError())
        return std::nullopt;
    text.truncate(end - text.constData());
    return text;
}
